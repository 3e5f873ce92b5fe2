// The single-line edit field of the Win32 backend: the system's EDIT control over the text
// control, in the control's font, with all its text selected and the keyboard focus. Its window
// procedure is replaced by one that watches for Enter and for the loss of the focus; the frame
// window answers the control's colour requests.

#include <array>
#include <vector>

#include "platform/win32/Win32Internal.h"

namespace marrowfold::win32 {

namespace {

constexpr char kEditClass[] = "EDIT";
constexpr std::array<DWORD, 3> kAlignmentStyles = {ES_LEFT, ES_CENTER, ES_RIGHT};

Win32Platform::Field* fieldOf(HWND control) {
    return reinterpret_cast<Win32Platform::Field*>(GetWindowLongPtrA(control, GWLP_USERDATA));
}

DWORD alignmentStyle(int32_t alignment) {
    const bool known = alignment >= 0 && alignment < static_cast<int32_t>(kAlignmentStyles.size());
    return kAlignmentStyles[known ? static_cast<size_t>(alignment) : 0];
}

// Enter and the loss of the focus both end the editing; the field may be closed by then, so
// nothing of it is touched after the owner was told.
LRESULT CALLBACK fieldWindowProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Platform::Field* field = fieldOf(control);
    if (!field) return DefWindowProcA(control, message, wParam, lParam);
    const WNDPROC controlProc = field->controlProc;
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                field->platform->fieldFinished(*field);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == '\r') return 0;  // Enter was handled as a key; the control would beep
            break;
        case WM_KILLFOCUS: {
            const LRESULT result = CallWindowProcA(controlProc, control, message, wParam, lParam);
            field->platform->fieldFinished(*field);
            return result;
        }
        default:
            break;
    }
    return CallWindowProcA(controlProc, control, message, wParam, lParam);
}

}  // namespace

EditFieldId Win32Platform::openEditField(WindowId window, const EditFieldSpec& spec,
                                         EditFieldEvents* events) {
    auto own = windows_.find(window);
    if (own == windows_.end() || spec.rect.width() <= 0 || spec.rect.height() <= 0) {
        return kNoEditField;
    }
    auto field = std::make_unique<Field>();
    field->parent = own->second->hwnd;
    field->platform = this;
    field->events = events;
    field->textColour = spec.textColour;
    field->backgroundColour = spec.backgroundColour;
    // The control lies over the text control at the window's scale, its edges on the device
    // pixels the control's edges fall on, in the control's font at that scale.
    const double scale = own->second->surface->scale();
    const int32_t left = toDevicePixels(spec.rect.left, scale);
    const int32_t top = toDevicePixels(spec.rect.top, scale);
    field->hwnd =
        CreateWindowExA(0, kEditClass, spec.text.c_str(),
                        WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | alignmentStyle(spec.alignment),
                        left, top, toDevicePixels(spec.rect.right, scale) - left,
                        toDevicePixels(spec.rect.bottom, scale) - top, field->parent, nullptr,
                        moduleInstance(), nullptr);
    if (!field->hwnd) return kNoEditField;
    field->font = createFont(spec.font, false, scale);
    SendMessageA(field->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(field->font), FALSE);
    SendMessageA(field->hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
    SendMessageA(field->hwnd, EM_SETSEL, 0, -1);
    SetWindowLongPtrA(field->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(field.get()));
    field->controlProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(field->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(fieldWindowProc)));
    const EditFieldId id = nextField_++;
    field->id = id;
    HWND control = field->hwnd;
    fields_[id] = std::move(field);
    SetFocus(control);
    return id;
}

std::string Win32Platform::editFieldText(EditFieldId id) {
    auto it = fields_.find(id);
    if (it == fields_.end()) return {};
    const Field& field = *it->second;
    if (!field.hwnd) return field.textLeft;
    std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(field.hwnd)) + 1);
    const int length = GetWindowTextA(field.hwnd, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), static_cast<size_t>(std::max(length, 0)));
}

// The control gets its own window procedure back first, so that the focus it loses while it is
// destroyed reaches nobody of ours.
void Win32Platform::releaseFieldWindow(Field& field) {
    if (field.hwnd) {
        SetWindowLongPtrA(field.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(field.controlProc));
        SetWindowLongPtrA(field.hwnd, GWLP_USERDATA, 0);
        DestroyWindow(field.hwnd);
        field.hwnd = nullptr;
    }
    if (field.font) DeleteObject(field.font);
    if (field.brush) DeleteObject(field.brush);
    field.font = nullptr;
    field.brush = nullptr;
}

void Win32Platform::closeEditField(EditFieldId id) {
    auto it = fields_.find(id);
    if (it == fields_.end()) return;
    std::unique_ptr<Field> field = std::move(it->second);
    fields_.erase(it);
    releaseFieldWindow(*field);
}

void Win32Platform::closeFieldsOf(WindowId window) {
    std::vector<EditFieldId> inside;
    for (const auto& [id, field] : fields_) {
        if (field->parent == reinterpret_cast<HWND>(window)) inside.push_back(id);
    }
    for (EditFieldId id : inside)
        closeEditField(id);
}

void Win32Platform::fieldFinished(Field& field) {
    if (field.events) field.events->editingFinished();
}

// A new brush for every request, the previous one deleted, as the control may keep using the
// brush until it asks again.
void* Win32Platform::editFieldBrush(OwnWindow& own, void* fieldWindow, void* dc) {
    for (auto& [id, field] : fields_) {
        if (field->hwnd != static_cast<HWND>(fieldWindow) || field->parent != own.hwnd) continue;
        SetTextColor(static_cast<HDC>(dc), colourRef(field->textColour));
        SetBkColor(static_cast<HDC>(dc), colourRef(field->backgroundColour));
        if (field->brush) DeleteObject(field->brush);
        field->brush = CreateSolidBrush(colourRef(field->backgroundColour));
        return field->brush;
    }
    return nullptr;
}

}  // namespace marrowfold::win32
