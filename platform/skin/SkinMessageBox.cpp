#include "SkinMessageBox.h"

#include <atomic>

#include "SkinCurrentDialog.h"

namespace {
// Null: the real box. Swapped from any thread; read once per box.
std::atomic<SkinMessageBoxPresenter> g_presenter{nullptr};

int PresentRealMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return ::MessageBoxW(owner, text, caption, type);
}
}  // namespace

int SkinMessageBox(const wchar_t* text, const wchar_t* caption, UINT type) {
    HWND owner = GetCurrentSkinDialogWindow();
    if (!owner) owner = ::GetActiveWindow();
    SkinMessageBoxPresenter present = g_presenter.load(std::memory_order_acquire);
    if (!present) present = &PresentRealMessageBox;
    return present(owner, text ? text : L"", caption ? caption : L"", type);
}

// Exported (SKIN_HOOK) so that a client or a test can reach it in whichever module carries this
// library; defining it here, beside SkinMessageBox, guarantees the object is linked in whenever the
// box is used.
SkinMessageBoxPresenter SetSkinMessageBoxPresenter(SkinMessageBoxPresenter presenter) {
    return g_presenter.exchange(presenter, std::memory_order_acq_rel);
}
