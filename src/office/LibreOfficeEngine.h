#pragma once

#include <QList>
#include <QString>

#include <chrono>
#include <future>
#include <memory>

class LibreOfficeBackend;
class LibreOfficeSession;
class QLockFile;
class QTemporaryDir;
class WordApplication;
class WriterOffice;

/// The word processor of the program: LibreOffice Writer, driven over UNO, behind the automation
/// interface of WordAutomation.h. The program keeps one warm office for its whole run:
///
///     LibreOfficeEngine engine;   // in main(), before the first window
///     engine.install();           // CreateWordApplication() now attaches to the office
///     ...                         // app.exec()
///     engine.shutdown();          // or let the destructor do it
///
/// The office starts when the first instance is created (the availability check at start-up)
/// and again whenever it was found dead. It runs headless with a profile folder of its own in the
/// user's cache folder (reused between runs, so later starts are quicker), a temporary folder of
/// its own and a unique pipe. shutdown() closes what is still open, ends the office, reaps it and
/// removes its temporary files; it never touches an office that it did not start. Only this
/// engine and the files behind it know about UNO.
class LibreOfficeEngine final
{
public:
    struct Settings
    {
        /// The office launcher: a program name looked up on PATH, or a path.
        QString officeProgram = QStringLiteral("soffice");
        /// The office's profile folder; empty: defaultProfileFolder(). When another running program
        /// holds it, a private folder beside it is used for this run instead.
        QString profileFolder;
        /// How long the office may take from start to answering. A profile the office cannot use
        /// makes it wait forever, and only this limit notices.
        std::chrono::milliseconds startTimeout{20000};
        /// How long one call into the office may take before the office is stopped, so that the
        /// program reports it instead of hanging (0: no limit). Large documents need seconds at most.
        std::chrono::milliseconds callTimeout{30000};
        /// How much the office may grow (in kilobytes of resident memory) beyond what it took after its
        /// first piece of work (at most firstWorkKilobytes above what it took once started) before it is
        /// given a fresh start between two pieces of work; 0: never.
        qint64 recycleGrowthKilobytes = 48 * 1024;
        /// What an ordinary first piece of work leaves in an office just started (its filters, fonts and
        /// the template: about 140 MB), in kilobytes. The growth above is counted from no more than this:
        /// a first document of thousands of pages, whose memory the office never gives back, is no measure.
        qint64 firstWorkKilobytes = 192 * 1024;
        /// Whether the document saved last stays loaded, with its content, for the picture of it that
        /// the window asks for next. Work that makes no picture keeps none.
        bool keepSavedDocument = true;
        /// For how many receipts the window's Word file is written by a second office while the first lays
        /// the document out for the picture (0: never). Below that the write takes moments; above it the
        /// two offices together would hold more than a gigabyte, and the picture alone takes minutes.
        int writerOfficeFrom = 200;
        int writerOfficeUpTo = 5000;
        /// How much the second office may grow (in kilobytes of resident memory) beyond what it took once
        /// started before it is ended after its work: it keeps what a run of a few thousand receipts leaves.
        qint64 writerGrowthKilobytes = 240 * 1024;
    };

    LibreOfficeEngine();
    explicit LibreOfficeEngine(Settings settings);
    /// Shuts the office down.
    ~LibreOfficeEngine();
    LibreOfficeEngine(const LibreOfficeEngine &) = delete;
    LibreOfficeEngine &operator=(const LibreOfficeEngine &) = delete;

    /// Makes CreateWordApplication() attach to this engine's office; also makes sure that an
    /// interrupted or crashing program does not leave the office running.
    void install();
    /// Removes the engine from CreateWordApplication() (if it is installed there), closes every
    /// document, ends the office and cleans up. Never throws; later instances start it again.
    void shutdown() noexcept;

    /// A new instance attached to the warm office, which starts when not running or dead.
    /// Throws AutomationError with what failed.
    std::unique_ptr<WordApplication> createApplication();

    /// The running office, started when it is not. Throws AutomationError. For the backend's own tools.
    std::shared_ptr<LibreOfficeSession> runningSession() { return session(); }

    /// The office's launcher process id (also its process group); 0 while no office runs.
    qint64 officeProcessId() const;
    /// Every process of the running office, the launcher included; for diagnostics and tests.
    QList<qint64> officeProcessIds() const;
    /// The running office's private temporary folder, removed at shutdown; empty while none runs.
    QString officeTemporaryFolder() const;
    /// The profile folder the running office uses; empty while none runs.
    QString profileFolder() const;

    /// The office's resident memory in kilobytes, all its processes together; 0 while none runs.
    qint64 officeResidentKilobytes() const;
    /// The processes of the second office, which writes long runs' Word files, while it runs.
    QList<qint64> writerProcessIds() const;
    /// How many second offices were started so far.
    int writerStartCount() const;

    /// How often the office was given a fresh start because it had grown.
    int recycleCount() const { return mRecycled; }
    /// While held, the office is not measured, nor given a fresh start, after each piece of work: for
    /// many small pieces that belong together. Letting go measures it once.
    void holdRecycling(bool hold);

    /// The profile folder of ours in the user's cache folder.
    static QString defaultProfileFolder();

private:
    std::shared_ptr<LibreOfficeBackend> makeBackend();
    std::shared_ptr<LibreOfficeSession> session();
    /// Between two pieces of work: restarts an office that has grown, in the background.
    void recycleIfGrown();
    /// Takes over the office started in the background, if there is one.
    void adoptRestarted() noexcept;
    QString resolveProgram() const;
    QString chooseProfile();

    Settings mSettings;
    // Before the backend, which is handed it.
    std::shared_ptr<WriterOffice> mWriter;
    std::shared_ptr<LibreOfficeBackend> mBackend;
    std::shared_ptr<LibreOfficeSession> mSession;
    std::unique_ptr<QLockFile> mProfileLock;
    std::unique_ptr<QTemporaryDir> mPrivateProfile;
    QString mProfileFolder;
    std::future<std::shared_ptr<LibreOfficeSession>> mRestarting;
    qint64 mBaselineKilobytes = 0;
    /// The office's resident memory once started, before any work; 0 when not measured.
    qint64 mStartedKilobytes = 0;
    int mRecycled = 0;
    bool mRecyclingHeld = false;
};
