#include "TestOffice.h"

#include "LibreOfficeEngine.h"

TestOffice::TestOffice() = default;

TestOffice::~TestOffice() = default;

bool TestOffice::install(const QString &profileFolder)
{
    if (profileFolder.isEmpty() && !mProfile.isValid())
        return false;
    LibreOfficeEngine::Settings settings;
    settings.profileFolder = profileFolder.isEmpty() ? mProfile.path() : profileFolder;
    mEngine = std::make_unique<LibreOfficeEngine>(settings);
    mEngine->install();
    return true;
}

void TestOffice::shutdown()
{
    // The engine stays, so a test can still ask it what it ran; its office is gone.
    if (mEngine)
        mEngine->shutdown();
}
