// The modal questions of the Win32 backend: the name dialog from the module's dialog resource
// and the system's yes/no message box, both owned by the window given.

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

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

// A dialog template's words: style and extended style (two words each), the control count, and
// x, y, width and height, then the menu, the class and the title, then the font's point size.
constexpr size_t kTemplateHeaderWords = 9;
constexpr WORD kOrdinalMark = 0xffff;
constexpr size_t kOrdinalWords = 2;
constexpr size_t kNoFontSize = static_cast<size_t>(-1);

// The index of the word past a menu or class (an ordinal or a string) or the title (a string).
size_t skipNameOrOrdinal(const std::vector<WORD>& words, size_t at) {
    if (at < words.size() && words[at] == kOrdinalMark) return at + kOrdinalWords;
    while (at < words.size() && words[at] != 0)
        ++at;
    return at + 1;
}

// The index of the template's font size, or kNoFontSize when it names no font.
size_t fontSizeIndex(const std::vector<WORD>& words) {
    if (words.size() <= kTemplateHeaderWords) return kNoFontSize;
    DWORD style = 0;
    std::memcpy(&style, words.data(), sizeof style);
    if (!(style & DS_SETFONT)) return kNoFontSize;
    size_t at = kTemplateHeaderWords;
    for (int part = 0; part < 3; ++part)  // menu, class, title
        at = skipNameOrOrdinal(words, at);
    return at < words.size() ? at : kNoFontSize;
}

// The dialog resource with its font's size multiplied by ratio: dialog units follow the font,
// so the whole dialog grows with it. Empty when the module has no such dialog or it names no
// font.
std::vector<WORD> scaledDialogTemplate(int resourceId, double ratio) {
    HRSRC found = FindResourceA(moduleInstance(), MAKEINTRESOURCEA(resourceId), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(moduleInstance(), found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    std::vector<WORD> words(SizeofResource(moduleInstance(), found) / sizeof(WORD));
    std::memcpy(words.data(), data, words.size() * sizeof(WORD));
    const size_t fontSize = fontSizeIndex(words);
    if (fontSize == kNoFontSize) return {};
    words[fontSize] = static_cast<WORD>(std::lround(words[fontSize] * ratio));
    return words;
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
    // Windows already draws dialogs at the desktop's resolution; an editor at another factor
    // gets its dialog at its own.
    const double ratio = scaleFactor() / desktopScaleFactor();
    const std::vector<WORD> scaled =
        ratio == 1.0 ? std::vector<WORD>() : scaledDialogTemplate(kNameDialogResource, ratio);
    const INT_PTR result =
        scaled.empty() ? DialogBoxParamA(moduleInstance(), MAKEINTRESOURCEA(kNameDialogResource),
                                         reinterpret_cast<HWND>(owner), nameDialogProc,
                                         reinterpret_cast<LPARAM>(&question))
                       : DialogBoxIndirectParamA(
                             moduleInstance(), reinterpret_cast<const DLGTEMPLATE*>(scaled.data()),
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
