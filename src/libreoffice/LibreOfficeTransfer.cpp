#include "LibreOfficeTransfer.h"

#include "WordAutomation.h"

namespace {
struct Held
{
    css::uno::Reference<css::datatransfer::XTransferable> transferable;
    std::weak_ptr<LibreOfficeSession> session;
    LibreOfficeTransfer::TableText table;
};

// The clipboard's content is type-erased; the deleter's type tells ours from anyone else's.
struct HeldDeleter
{
    void operator()(Held *held) const noexcept
    {
        try {
            delete held;
        } catch (...) {
        }
    }
};

const Held *ours(const std::shared_ptr<void> &content)
{
    if (!content || !std::get_deleter<HeldDeleter>(content))
        return nullptr;
    return static_cast<const Held *>(content.get());
}
} // namespace

void LibreOfficeTransfer::put(const css::uno::Reference<css::datatransfer::XTransferable> &transferable,
                              const std::shared_ptr<LibreOfficeSession> &session, const TableText &table)
{
    std::shared_ptr<Held> held(new Held{transferable, session, table}, HeldDeleter());
    ProgramClipboard::current().setContent(std::static_pointer_cast<void>(held));
}

css::uno::Reference<css::datatransfer::XTransferable> LibreOfficeTransfer::take(const LibreOfficeSession &session)
{
    const Held *held = ours(ProgramClipboard::current().content());
    if (!held)
        return {};
    const std::shared_ptr<LibreOfficeSession> owner = held->session.lock();
    if (owner.get() != &session)
        return {};
    return held->transferable;
}

LibreOfficeTransfer::TableText LibreOfficeTransfer::tableText(const LibreOfficeSession &session)
{
    const Held *held = ours(ProgramClipboard::current().content());
    if (!held || held->session.lock().get() != &session)
        return {};
    return held->table;
}

void LibreOfficeTransfer::clear() noexcept
{
    try {
        if (ours(ProgramClipboard::current().content()))
            ProgramClipboard::current().clear();
    } catch (...) {
    }
}
