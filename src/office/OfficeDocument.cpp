#include "OfficeDocument.h"

#include "LibreOfficeCall.h"
#include "LibreOfficeSession.h"

#include <QUrl>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/SequenceInputStream.hpp>
#include <com/sun/star/io/TempFile.hpp>
#include <com/sun/star/io/XInputStream.hpp>
#include <com/sun/star/io/XSeekable.hpp>
#include <com/sun/star/io/XTempFile.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XPageCursor.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextViewCursor.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/ucb/SimpleFileAccess.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <limits>

using namespace css;

namespace {
// One read from the office's stream brings this much at most: the chunk is held beside the bytes
// read so far, so a large one would add to the program's peak memory.
constexpr sal_Int32 kReadChunk = 1024 * 1024;

double pointsFrom100thMm(sal_Int32 value)
{
    return value * 72.0 / 2540.0;
}

sal_Int32 intProperty(const uno::Reference<beans::XPropertySet> &properties, const char *name)
{
    sal_Int32 value = 0;
    properties->getPropertyValue(OUString::createFromAscii(name)) >>= value;
    return value;
}

bool boolProperty(const uno::Reference<beans::XPropertySet> &properties, const char *name)
{
    bool value = false;
    properties->getPropertyValue(OUString::createFromAscii(name)) >>= value;
    return value;
}

// Reads \a input to its end, handing each piece to \a sink.
void readPieces(const uno::Reference<io::XInputStream> &input, const OfficeDocument::Sink &sink)
{
    uno::Sequence<sal_Int8> chunk;
    for (;;) {
        const sal_Int32 read = input->readBytes(chunk, kReadChunk);
        if (read <= 0)
            break;
        sink(QByteArrayView(reinterpret_cast<const char *>(chunk.getConstArray()), read));
    }
}
} // namespace

OfficeDocument::OfficeDocument(std::shared_ptr<LibreOfficeSession> session,
                               const uno::Reference<lang::XComponent> &component, qsizetype size, Layout layout)
    : mSession(std::move(session))
    , mComponent(component)
    , mSize(size)
    , mLayout(layout)
{}

template<typename Call>
auto OfficeDocument::call(const QString &what, Call &&work)
{
    return officeCall(*mSession, what, std::forward<Call>(work), callLimit());
}

OfficeDocument::~OfficeDocument()
{
    if (!mComponent.is() || !isAlive())
        return;
    try {
        call(QStringLiteral("Closing a document"), [&] {
            const uno::Reference<util::XCloseable> closeable(mComponent, uno::UNO_QUERY);
            try {
                if (closeable.is())
                    closeable->close(true);
            } catch (const util::CloseVetoException &) {
                mComponent->dispose();
            }
        });
    } catch (...) {
        // A document that cannot be closed goes with its office.
    }
}

std::chrono::milliseconds OfficeDocument::limitFor(qsizetype bytes, std::chrono::milliseconds base)
{
    // About ten seconds a megabyte on a slow machine, on top of what any call may take.
    return base + std::chrono::milliseconds(bytes / 100);
}

bool OfficeDocument::isAlive() const
{
    return mSession && mSession->checkAlive();
}

std::shared_ptr<OfficeDocument> OfficeDocument::load(std::shared_ptr<LibreOfficeSession> session,
                                                     const QByteArray &bytes, const QString &filter,
                                                     const QString &what, Layout layout)
{
    return load(std::move(session), &bytes, {}, bytes.size(), filter, what, layout);
}

std::shared_ptr<OfficeDocument> OfficeDocument::loadFile(std::shared_ptr<LibreOfficeSession> session,
                                                         const QString &path, qsizetype size, const QString &filter,
                                                         const QString &what, Layout layout)
{
    return load(std::move(session), nullptr, path, size, filter, what, layout);
}

std::shared_ptr<OfficeDocument> OfficeDocument::load(std::shared_ptr<LibreOfficeSession> session,
                                                     const QByteArray *bytes, const QString &path, qsizetype size,
                                                     const QString &filter, const QString &what, Layout layout)
{
    if (layout == Layout::ModelOnly && filter.isEmpty())
        throw AutomationError(QStringLiteral("%1: a document read without pages needs its format named.").arg(what));
    const uno::Reference<lang::XComponent> component = officeCall(
        *session, what,
        [&] {
            const uno::Reference<uno::XComponentContext> context = session->context();
            // A large document goes by file, which the office reads as a stream of its own: the program
            // holds no copy of it, and the document is bound to no file (nor locks one).
            const OUString url("private:stream");
            uno::Reference<io::XInputStream> input;
            if (bytes) {
                const uno::Sequence<sal_Int8> data(reinterpret_cast<const sal_Int8 *>(bytes->constData()),
                                                   static_cast<sal_Int32>(bytes->size()));
                input.set(io::SequenceInputStream::createStreamFromSequence(context, data), uno::UNO_QUERY_THROW);
            } else {
                input = ucb::SimpleFileAccess::create(context)->openFileRead(
                    toOUString(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)));
            }
            uno::Sequence<beans::PropertyValue> arguments = propertyList({
                {"Hidden", uno::Any(true)},
                {"MacroExecutionMode", uno::Any(document::MacroExecMode::NEVER_EXECUTE)},
                {"UpdateDocMode", uno::Any(document::UpdateDocMode::NO_UPDATE)},
            });
            if (input.is()) {
                arguments.realloc(arguments.getLength() + 1);
                arguments.getArray()[arguments.getLength() - 1].Name = "InputStream";
                arguments.getArray()[arguments.getLength() - 1].Value <<= input;
            }
            if (!filter.isEmpty()) {
                arguments.realloc(arguments.getLength() + 1);
                arguments.getArray()[arguments.getLength() - 1].Name = "FilterName";
                arguments.getArray()[arguments.getLength() - 1].Value <<= toOUString(filter);
            }
            if (layout == Layout::ModelOnly) {
                // A document model with no frame and no view: the office never lays it out, not even
                // in the background while it stores.
                const uno::Reference<uno::XInterface> instance =
                    context->getServiceManager()->createInstanceWithContext("com.sun.star.text.TextDocument", context);
                const uno::Reference<frame::XLoadable> loadable(instance, uno::UNO_QUERY_THROW);
                arguments.realloc(arguments.getLength() + 1);
                arguments.getArray()[arguments.getLength() - 1].Name = "URL";
                arguments.getArray()[arguments.getLength() - 1].Value <<= url;
                loadable->load(arguments);
                return uno::Reference<lang::XComponent>(instance, uno::UNO_QUERY);
            }
            const uno::Reference<frame::XComponentLoader> loader(session->desktop(), uno::UNO_QUERY_THROW);
            return loader->loadComponentFromURL(url, "_blank", 0, arguments);
        },
        limitFor(size, session->callLimit()));
    if (!component.is())
        throw AutomationError(QStringLiteral("%1: the word processor cannot read this document.").arg(what));
    auto document = std::shared_ptr<OfficeDocument>(new OfficeDocument(std::move(session), component, size, layout));
    if (!uno::Reference<text::XTextDocument>(component, uno::UNO_QUERY).is())
        throw AutomationError(QStringLiteral("%1: the file is not a text document.").arg(what));
    return document;
}

QByteArray OfficeDocument::store(const QString &filter, const QString &what)
{
    return store(propertyList({{"FilterName", uno::Any(toOUString(filter))}}), what);
}

void OfficeDocument::storeInto(const QString &filter, const Sink &sink, const QString &what)
{
    storeInto(propertyList({{"FilterName", uno::Any(toOUString(filter))}}), what, {}, sink);
}

namespace {
uno::Sequence<beans::PropertyValue> pdfPagesArguments(const QString &pageRange)
{
    const uno::Sequence<beans::PropertyValue> filterData =
        propertyList({{"PageRange", uno::Any(toOUString(pageRange))}});
    return propertyList({{"FilterName", uno::Any(toOUString(QLatin1String(OfficeDocument::kPdf)))},
                         {"FilterData", uno::Any(filterData)}});
}
} // namespace

QByteArray OfficeDocument::storePdfPages(const QString &pageRange, const QString &what)
{
    return store(pdfPagesArguments(pageRange), what);
}

void OfficeDocument::storePdfPagesInto(const QString &pageRange, const Sink &sink, const QString &what)
{
    storeInto(pdfPagesArguments(pageRange), what, {}, sink);
}

QByteArray OfficeDocument::store(const uno::Sequence<beans::PropertyValue> &arguments, const QString &what)
{
    QByteArray bytes;
    storeInto(
        arguments, what,
        [&](qint64 length) {
            // Sized once: growing it by doubling would hold up to twice a large document for a moment.
            if (length > 0 && length < std::numeric_limits<qsizetype>::max())
                bytes.reserve(static_cast<qsizetype>(length));
        },
        [&](QByteArrayView piece) { bytes.append(piece); });
    return bytes;
}

void OfficeDocument::storeInto(const uno::Sequence<beans::PropertyValue> &arguments, const QString &what,
                               const std::function<void(qint64 length)> &sized, const Sink &sink)
{
    call(what, [&] {
        // A stream the office can seek in, as the Word format needs; it lives in the office's
        // own temporary folder, and its bytes come back in a few large reads.
        const uno::Reference<io::XTempFile> buffer = io::TempFile::create(mSession->context());
        const uno::Reference<io::XOutputStream> output(buffer, uno::UNO_QUERY_THROW);
        const uno::Reference<frame::XStorable> storable(mComponent, uno::UNO_QUERY_THROW);
        uno::Sequence<beans::PropertyValue> withOutput(arguments);
        withOutput.realloc(withOutput.getLength() + 1);
        withOutput.getArray()[withOutput.getLength() - 1].Name = "OutputStream";
        withOutput.getArray()[withOutput.getLength() - 1].Value <<= output;
        storable->storeToURL("private:stream", withOutput);
        const uno::Reference<io::XSeekable> seekable(buffer, uno::UNO_QUERY_THROW);
        if (sized)
            sized(seekable->getLength());
        seekable->seek(0);
        readPieces(uno::Reference<io::XInputStream>(buffer, uno::UNO_QUERY_THROW), sink);
    });
}

std::chrono::milliseconds OfficeDocument::callLimit() const
{
    return limitFor(mSize, mSession->callLimit());
}

QByteArray OfficeDocument::storePdf(const QString &keywords, const QString &what, const QString &pageRange)
{
    const uno::Reference<document::XDocumentPropertiesSupplier> supplier(mComponent, uno::UNO_QUERY);
    uno::Sequence<OUString> before;
    if (supplier.is()) {
        call(what, [&] {
            const uno::Reference<document::XDocumentProperties> properties = supplier->getDocumentProperties();
            before = properties->getKeywords();
            uno::Sequence<OUString> noted(1);
            noted.getArray()[0] = toOUString(keywords);
            properties->setKeywords(noted);
        });
    }
    const QByteArray pdf = pageRange.isEmpty() ? store(QLatin1String(kPdf), what) : storePdfPages(pageRange, what);
    if (supplier.is()) {
        // The keywords were for the picture only.
        call(what, [&] { supplier->getDocumentProperties()->setKeywords(before); });
    }
    return pdf;
}

int OfficeDocument::pageCount(const QString &what)
{
    return call(what, [&] {
        const uno::Reference<frame::XModel> model(mComponent, uno::UNO_QUERY_THROW);
        const uno::Reference<beans::XPropertySet> view(model->getCurrentController(), uno::UNO_QUERY_THROW);
        sal_Int32 pages = 0;
        view->getPropertyValue("PageCount") >>= pages;
        return int(pages);
    });
}

QList<int> OfficeDocument::startPages(const QList<int> &elements, const QList<bool> &tables, const QString &what)
{
    return call(what, [&] {
        const uno::Reference<frame::XModel> model(mComponent, uno::UNO_QUERY_THROW);
        const uno::Reference<text::XTextViewCursorSupplier> view(model->getCurrentController(), uno::UNO_QUERY_THROW);
        const uno::Reference<text::XTextViewCursor> cursor = view->getViewCursor();
        const uno::Reference<text::XPageCursor> pages(cursor, uno::UNO_QUERY_THROW);
        const uno::Reference<text::XTextDocument> document(mComponent, uno::UNO_QUERY_THROW);
        const uno::Reference<container::XEnumerationAccess> text(document->getText(), uno::UNO_QUERY_THROW);
        const uno::Reference<container::XEnumeration> walk = text->createEnumeration();
        QList<int> found;
        for (int index = 0; found.size() < elements.size() && walk->hasMoreElements(); ++index) {
            const uno::Any element = walk->nextElement();
            if (index != elements.at(found.size()))
                continue;
            const uno::Reference<text::XTextTable> table(element, uno::UNO_QUERY);
            if (table.is() != tables.value(found.size()))
                return QList<int>();
            const uno::Reference<text::XTextRange> start =
                table.is() ? uno::Reference<text::XText>(table->getCellByName("A1"), uno::UNO_QUERY_THROW)->getStart()
                           : uno::Reference<text::XTextRange>(element, uno::UNO_QUERY_THROW)->getStart();
            cursor->gotoRange(start, false);
            found.append(pages->getPage());
        }
        return found.size() == elements.size() ? found : QList<int>();
    });
}

QMarginsF OfficeDocument::textAreaMargins(const QString &what)
{
    return call(what, [&] {
        const uno::Reference<text::XTextDocument> model(mComponent, uno::UNO_QUERY_THROW);
        const uno::Reference<beans::XPropertySet> start(model->getText()->createTextCursor(), uno::UNO_QUERY_THROW);
        OUString styleName;
        start->getPropertyValue("PageStyleName") >>= styleName;
        const uno::Reference<style::XStyleFamiliesSupplier> families(model, uno::UNO_QUERY_THROW);
        const uno::Reference<container::XNameAccess> pageStyles(families->getStyleFamilies()->getByName("PageStyles"),
                                                                uno::UNO_QUERY_THROW);
        const uno::Reference<beans::XPropertySet> page(pageStyles->getByName(styleName), uno::UNO_QUERY_THROW);
        sal_Int32 top = intProperty(page, "TopMargin");
        sal_Int32 bottom = intProperty(page, "BottomMargin");
        if (boolProperty(page, "HeaderIsOn"))
            top += intProperty(page, "HeaderHeight");
        if (boolProperty(page, "FooterIsOn"))
            bottom += intProperty(page, "FooterHeight");
        return QMarginsF(pointsFrom100thMm(intProperty(page, "LeftMargin")), pointsFrom100thMm(top),
                         pointsFrom100thMm(intProperty(page, "RightMargin")), pointsFrom100thMm(bottom));
    });
}
