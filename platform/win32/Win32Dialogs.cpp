// The modal questions of the Win32 backend: the name dialog from the module's dialog resource
// and the system's yes/no message box, both owned by the window given.

#include <array>

#include "platform/win32/Win32Internal.h"

namespace marrowfold::win32 {

namespace {

constexpr int kNameDialogResource = 200;
constexpr int kNameFieldId = 300;
constexpr INT_PTR kNameConfirmed = 1;
constexpr INT_PTR kNameCancelled = 0;
// Typed names longer than this are cut here; a preset name is far shorter still.
constexpr int kLongestTypedName = 255;

// What the dialog procedure works on while the dialog is open.
struct NameQuestion {
    const NameDialogSpec* spec = nullptr;
    std::string answer;
};

std::string typedName(HWND dialog) {
    std::array<char, kLongestTypedName + 1> text{};
    const UINT length = GetDlgItemTextA(dialog, kNameFieldId, text.data(), kLongestTypedName + 1);
    return std::string(text.data(), length);
}

// OK closes the dialog only with a text the caller accepts; Cancel, Escape and the close box
// close it with nothing.
INT_PTR CALLBACK nameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;  // the system gives the focus to the edit field
    }
    if (message != WM_COMMAND) return FALSE;
    auto* question = reinterpret_cast<NameQuestion*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (LOWORD(wParam)) {
        case IDOK: {
            const std::string typed = typedName(dialog);
            if (!question->spec->acceptText || question->spec->acceptText(typed)) {
                question->answer = typed;
                EndDialog(dialog, kNameConfirmed);
            }
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, kNameCancelled);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

std::optional<std::string> Win32Platform::askName(WindowId owner, const NameDialogSpec& spec) {
    NameQuestion question;
    question.spec = &spec;
    const INT_PTR result = DialogBoxParamA(moduleInstance(), MAKEINTRESOURCEA(kNameDialogResource),
                                           reinterpret_cast<HWND>(owner), nameDialogProc,
                                           reinterpret_cast<LPARAM>(&question));
    if (result != kNameConfirmed) return std::nullopt;
    return question.answer;
}

bool Win32Platform::askYesNo(WindowId owner, const std::string& title, const std::string& text) {
    return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), title.c_str(), MB_YESNO) ==
           IDYES;
}

}  // namespace marrowfold::win32
