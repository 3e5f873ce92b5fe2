// The single-line edit field of the X11 backend: a small child window of ours over the control,
// with its own caret and selection, closed by Enter or by losing the keyboard focus.

#include "platform/X11Internal.h"

namespace marrowfold {

namespace {
// The field takes its own presses, so a click inside it moves the caret instead of reaching
// the frame below, where any press closes the field.
constexpr long kFieldEventMask = ExposureMask | KeyPressMask | ButtonPressMask | FocusChangeMask;
}  // namespace

X11Platform::Field* X11Platform::fieldOfWindow(WindowId window, EditFieldId* id) {
    for (auto& [fieldId, field] : fields_) {
        if (field->window == window) {
            *id = fieldId;
            return field.get();
        }
    }
    return nullptr;
}

EditFieldId X11Platform::openEditField(WindowId window, const EditFieldSpec& spec,
                                       EditFieldEvents* events) {
    Display* display = liveDisplay(connection_);
    if (!display || !windows_.count(window) || spec.rect.width() <= 0 || spec.rect.height() <= 0) {
        return kNoEditField;
    }
    // The field lies over the control at the window's scale, its edges on the device pixels
    // where the control's edges fall.
    const double scale = windows_[window]->surface ? windows_[window]->surface->scale() : 1.0;
    const int32_t left = toDevicePixels(spec.rect.left, scale);
    const int32_t top = toDevicePixels(spec.rect.top, scale);
    const int32_t width = toDevicePixels(spec.rect.right, scale) - left;
    const int32_t height = toDevicePixels(spec.rect.bottom, scale) - top;
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.event_mask = kFieldEventMask;
    const Window fieldWindow =
        XCreateWindow(display, static_cast<Window>(window), left, top, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWBackPixmap | CWEventMask, &attributes);
    XMapWindow(display, fieldWindow);
    XSetInputFocus(display, fieldWindow, RevertToParent, CurrentTime);

    auto field = std::make_unique<Field>();
    field->window = fieldWindow;
    field->parent = static_cast<Window>(window);
    field->spec = spec;
    field->editor = LineEditor(spec.text);
    field->editor.selectAll();
    field->events = events;
    field->surface = cairo_xlib_surface_create(
        display, fieldWindow, DefaultVisual(display, DefaultScreen(display)), width, height);
    field->scale = scale;
    cairo_surface_set_device_scale(field->surface, scale, scale);
    const EditFieldId id = nextField_++;
    drawField(*field);
    fields_[id] = std::move(field);
    XSync(display, False);
    return id;
}

std::string X11Platform::editFieldText(EditFieldId field) {
    auto it = fields_.find(field);
    return it == fields_.end() ? std::string() : it->second->editor.text();
}

void X11Platform::closeEditField(EditFieldId id) {
    auto it = fields_.find(id);
    if (it == fields_.end()) return;
    if (it->second->surface) cairo_surface_destroy(it->second->surface);
    if (Display* display = liveDisplay(connection_)) {
        XDestroyWindow(display, it->second->window);
        XSync(display, False);
    }
    fields_.erase(it);
    disconnectWhenUnused();
}

void X11Platform::drawField(Field& field) {
    Display* display = liveDisplay(connection_);
    if (!display || !field.surface) return;
    cairo_t* cr = cairo_create(field.surface);
    const PixelRect local{0, 0, field.spec.rect.width(), field.spec.rect.height()};
    drawTextBox(cr, field.editor, local, field.spec.font, field.spec.alignment,
                field.spec.textColour, field.spec.backgroundColour, true);
    cairo_destroy(cr);
    cairo_surface_flush(field.surface);
    XFlush(display);
}

void X11Platform::placeFieldCaret(Field& field, int32_t clickX) {
    if (!field.surface) return;
    cairo_t* cr = cairo_create(field.surface);
    const PixelRect local{0, 0, field.spec.rect.width(), field.spec.rect.height()};
    field.editor.placeCaret(
        caretIndexAt(cr, field.editor, local, field.spec.font, field.spec.alignment, clickX));
    cairo_destroy(cr);
    drawField(field);
}

// The owner's editingFinished closes the field; it runs once even when Enter is followed by
// the focus loss that closing causes.
void X11Platform::finishField(EditFieldId id) {
    auto it = fields_.find(id);
    if (it == fields_.end() || it->second->closing) return;
    it->second->closing = true;
    it->second->events->editingFinished();
}

void X11Platform::handleFieldEvent(Field& field, void* raw) {
    XEvent& event = *static_cast<XEvent*>(raw);
    EditFieldId id = kNoEditField;
    fieldOfWindow(field.window, &id);
    switch (event.type) {
        case Expose:
            drawField(field);
            break;
        case KeyPress:
            switch (applyKey(field.editor, event.xkey)) {
                case KeyOutcome::Enter:
                    finishField(id);
                    break;
                case KeyOutcome::Edited:
                    drawField(field);
                    break;
                case KeyOutcome::Escape:
                case KeyOutcome::Ignored:
                    break;
            }
            break;
        case ButtonPress:
            if (event.xbutton.button == Button1)
                placeFieldCaret(field, toLogicalPixels(event.xbutton.x, field.scale));
            break;
        case FocusOut:
            // Focus moving into a child, or the pointer-root bookkeeping, is no loss of focus.
            if (event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyInferior &&
                event.xfocus.detail != NotifyPointer) {
                finishField(id);
            }
            break;
        default:
            break;
    }
}

}  // namespace marrowfold
