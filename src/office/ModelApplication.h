#pragma once

#include "WordAutomation.h"

#include <memory>

class ModelDocuments;
class LibreOfficeBackend;

/// One instance of the word processor: a view of the warm office that knows the documents it
/// opened. Quitting it (or dropping it) closes those; the office itself keeps running.
class ModelApplication final : public WordApplication
{
public:
    explicit ModelApplication(std::shared_ptr<LibreOfficeBackend> backend);
    ~ModelApplication() override;

    std::shared_ptr<WordDocuments> Documents() override;
    std::shared_ptr<WordDocument> ActiveDocument() override;
    void setDisplayAlerts(bool displayAlerts) override;
    void Quit() override;

private:
    void ensureRunning() const;

    std::shared_ptr<LibreOfficeBackend> mBackend;
    std::shared_ptr<ModelDocuments> mDocuments;
    bool mQuit = false;
    bool mDisplayAlerts = true;
};
