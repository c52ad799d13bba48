#include "ModelTransfer.h"

#include "WordAutomation.h"

namespace {
// The clipboard's content is type-erased; the deleter's type tells ours from anyone else's.
struct Held
{
    std::shared_ptr<const OdfDocument::Fragment> fragment;
};

struct HeldDeleter
{
    void operator()(Held *held) const noexcept { delete held; }
};

const Held *ours(const std::shared_ptr<void> &content)
{
    if (!content || !std::get_deleter<HeldDeleter>(content))
        return nullptr;
    return static_cast<const Held *>(content.get());
}
} // namespace

void ModelTransfer::put(std::shared_ptr<const OdfDocument::Fragment> fragment)
{
    std::shared_ptr<Held> held(new Held{std::move(fragment)}, HeldDeleter());
    ProgramClipboard::current().setContent(std::static_pointer_cast<void>(held));
}

std::shared_ptr<const OdfDocument::Fragment> ModelTransfer::take()
{
    const Held *held = ours(ProgramClipboard::current().content());
    return held ? held->fragment : nullptr;
}

void ModelTransfer::clear() noexcept
{
    try {
        if (ours(ProgramClipboard::current().content()))
            ProgramClipboard::current().clear();
    } catch (...) {
    }
}
