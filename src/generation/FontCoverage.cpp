#include "FontCoverage.h"

#include <fontconfig/fontconfig.h>

namespace {
const FontCoverage *gInstalled = nullptr;
} // namespace

struct SystemFontCoverage::Characters
{
    FcCharSet *set = nullptr;
    // Without a single font listed, fontconfig is not set up here, and nothing can be told.
    bool known = false;
};

std::shared_ptr<const FontCoverage> FontCoverage::current()
{
    if (gInstalled)
        return std::shared_ptr<const FontCoverage>(gInstalled, [](const FontCoverage *) {});
    return std::make_shared<SystemFontCoverage>();
}

void FontCoverage::install(const FontCoverage *coverage)
{
    gInstalled = coverage;
}

SystemFontCoverage::SystemFontCoverage()
    : mCharacters(std::make_unique<Characters>())
{
    mCharacters->set = FcCharSetCreate();
    // Fonts installed since the program started count too.
    FcInitBringUptoDate();
    FcPattern *pattern = FcPatternCreate();
    FcObjectSet *objects = FcObjectSetBuild(FC_CHARSET, static_cast<char *>(nullptr));
    FcFontSet *fonts = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    if (fonts) {
        mCharacters->known = fonts->nfont > 0;
        for (int i = 0; i < fonts->nfont; ++i) {
            FcCharSet *characters = nullptr;
            if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &characters) == FcResultMatch)
                FcCharSetMerge(mCharacters->set, characters, nullptr);
        }
        FcFontSetDestroy(fonts);
    }
    if (objects)
        FcObjectSetDestroy(objects);
    if (pattern)
        FcPatternDestroy(pattern);
}

SystemFontCoverage::~SystemFontCoverage()
{
    if (mCharacters->set)
        FcCharSetDestroy(mCharacters->set);
}

bool SystemFontCoverage::canDraw(char32_t character) const
{
    if (!mCharacters->known)
        return true;
    return mCharacters->set && FcCharSetHasChar(mCharacters->set, character);
}
