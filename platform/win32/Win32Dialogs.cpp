// The modal questions of the Win32 backend: the name dialog from the module's dialog resource
// and the system's yes/no message box, both owned by the window given.

#include <array>
#include <cmath>

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
    // The editor's factor against the desktop's, which Windows already lays dialogs out at.
    double ratio = 1.0;
    // The dialog's font at that ratio, made when it is not 1 and deleted with the question.
    HFONT font = nullptr;
    ~NameQuestion() {
        if (font) DeleteObject(font);
    }
};

int scaledLength(LONG length, double ratio) {
    return static_cast<int>(std::lround(length * ratio));
}

// Grows the dialog about its top left corner, each control in place inside it and in the
// dialog's font at the ratio, so that it matches an editor at another factor than the desktop's.
void scaleDialog(HWND dialog, NameQuestion& question) {
    LOGFONTA description{};
    const auto current = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (current && GetObjectA(current, sizeof description, &description) == sizeof description) {
        description.lfHeight = scaledLength(description.lfHeight, question.ratio);
        question.font = CreateFontIndirectA(&description);
    }
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place{};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        MoveWindow(child, scaledLength(place.left, question.ratio),
                   scaledLength(place.top, question.ratio),
                   scaledLength(place.right - place.left, question.ratio),
                   scaledLength(place.bottom - place.top, question.ratio), FALSE);
        if (question.font)
            SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(question.font), FALSE);
    }
    RECT client{};
    RECT frame{};
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &frame);
    const int extraWidth = (frame.right - frame.left) - client.right;
    const int extraHeight = (frame.bottom - frame.top) - client.bottom;
    SetWindowPos(dialog, nullptr, 0, 0, scaledLength(client.right, question.ratio) + extraWidth,
                 scaledLength(client.bottom, question.ratio) + extraHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

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
        auto* question = reinterpret_cast<NameQuestion*>(lParam);
        if (question->ratio != 1.0) scaleDialog(dialog, *question);
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
    question.ratio = scaleFactor() / desktopScaleFactor();
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
