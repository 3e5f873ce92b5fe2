// The modal name dialog and yes/no question of the X11 backend: small top-level windows of our
// own, drawn with cairo, with their own event loop until the user answers.

#include <X11/keysym.h>

#include <cmath>
#include <vector>

#include "platform/X11Internal.h"

namespace marrowfold {

namespace {

constexpr uint32_t kLoopSleepMs = 10;
constexpr PackedRgb kDialogFace = 0xe4e6eb;
constexpr PackedRgb kDialogText = 0x141820;
constexpr PackedRgb kFieldFace = 0xffffff;
constexpr PackedRgb kButtonFace = 0xf4f5f7;
constexpr PackedRgb kButtonEdge = 0x7a8090;
constexpr int32_t kUiFontHeight = 13;
constexpr int kCancelled = 0;
constexpr int kConfirmed = 1;

struct DialogButton {
    PixelRect rect;
    std::string label;
    int result;
};

struct DialogLabel {
    PixelRect rect;
    std::string text;
};

bool inside(const PixelRect& rect, int x, int y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

// One modal window: labels, buttons and at most one edit box. Enter answers the default button
// (the first), Escape and the close box answer the last.
class ModalDialog {
  public:
    // The dialog is laid out in logical pixels and shown scale device pixels to each.
    ModalDialog(Display* display, Atom deleteAtom, double scale)
        : display_(display), deleteAtom_(deleteAtom), scale_(scale) {}

    std::vector<DialogLabel> labels;
    std::vector<DialogButton> buttons;
    std::optional<PixelRect> editBox;
    LineEditor editor{std::string(), 255};

    // Runs until an answer is accepted; mayClose decides whether an answer ends the dialog. A
    // lost connection answers as the last button does.
    int run(Window owner, const std::string& title, int32_t width, int32_t height,
            const std::function<bool(int)>& mayClose, X11Platform& platform) {
        const int32_t deviceWidth = toDevicePixels(width, scale_);
        const int32_t deviceHeight = toDevicePixels(height, scale_);
        window_ = createTopLevel(display_, owner, title, deviceWidth, deviceHeight, deleteAtom_);
        surface_ = cairo_xlib_surface_create(display_, window_,
                                             DefaultVisual(display_, DefaultScreen(display_)),
                                             deviceWidth, deviceHeight);
        cairo_surface_set_device_scale(surface_, scale_, scale_);
        std::optional<int> answer;
        while (!answer) {
            answer = platform.connectionLost() ? buttons.back().result : nextAnswer(mayClose);
            if (!answer) {
                while (platform.dispatchOnePaint()) {
                }
                discardOtherPresses();
                platform.sleep(kLoopSleepMs);
            }
        }
        cairo_surface_destroy(surface_);
        if (!platform.connectionLost()) {
            XDestroyWindow(display_, window_);
            XSync(display_, False);
        }
        return *answer;
    }

  private:
    std::optional<int> nextAnswer(const std::function<bool(int)>& mayClose) {
        XEvent event;
        while (XCheckWindowEvent(
                   display_, window_,
                   ExposureMask | KeyPressMask | ButtonPressMask | StructureNotifyMask, &event) ||
               XCheckTypedWindowEvent(display_, window_, ClientMessage, &event)) {
            const std::optional<int> wanted = handle(event);
            if (wanted && mayClose(*wanted)) return wanted;
            if (wanted) draw();
        }
        return std::nullopt;
    }

    std::optional<int> handle(XEvent& event) {
        switch (event.type) {
            case MapNotify:
                XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
                break;
            case Expose:
                draw();
                break;
            case ClientMessage:
                if (static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom_) {
                    return buttons.back().result;
                }
                break;
            case ButtonPress:
                for (const DialogButton& button : buttons) {
                    if (inside(button.rect, toLogicalPixels(event.xbutton.x, scale_),
                               toLogicalPixels(event.xbutton.y, scale_))) {
                        return button.result;
                    }
                }
                break;
            case KeyPress:
                return handleKey(event.xkey);
            default:
                break;
        }
        return std::nullopt;
    }

    std::optional<int> handleKey(XKeyEvent& key) {
        const KeyOutcome outcome = editBox ? applyKey(editor, key) : [&] {
            const KeySym symbol = XLookupKeysym(&key, 0);
            if (symbol == XK_Return || symbol == XK_KP_Enter) return KeyOutcome::Enter;
            if (symbol == XK_Escape) return KeyOutcome::Escape;
            return KeyOutcome::Ignored;
        }();
        if (outcome == KeyOutcome::Enter) return buttons.front().result;
        if (outcome == KeyOutcome::Escape) return buttons.back().result;
        if (outcome == KeyOutcome::Edited) draw();
        return std::nullopt;
    }

    void discardOtherPresses() {
        XEvent event;
        while (XCheckTypedEvent(display_, ButtonPress, &event)) {
            if (event.xany.window == window_) {
                XPutBackEvent(display_, &event);
                return;
            }
        }
    }

    void drawButton(cairo_t* cr, const DialogButton& button, bool isDefault) {
        const PixelRect& r = button.rect;
        setSourceRgb(cr, kButtonFace);
        cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
        cairo_fill(cr);
        setSourceRgb(cr, kButtonEdge);
        cairo_set_line_width(cr, isDefault ? 2.0 : 1.0);
        cairo_rectangle(cr, r.left + 0.5, r.top + 0.5, r.width() - 1, r.height() - 1);
        cairo_stroke(cr);
        cairo_text_extents_t extents{};
        cairo_text_extents(cr, button.label.c_str(), &extents);
        setSourceRgb(cr, kDialogText);
        cairo_move_to(cr, std::round(r.left + (r.width() - extents.x_advance) / 2),
                      std::round(r.top + r.height() / 2.0 + kUiFontHeight * 0.35));
        cairo_show_text(cr, button.label.c_str());
    }

    void draw() {
        cairo_t* cr = cairo_create(surface_);
        setSourceRgb(cr, kDialogFace);
        cairo_paint(cr);
        cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                               CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, kUiFontHeight);
        setSourceRgb(cr, kDialogText);
        for (const DialogLabel& label : labels) {
            cairo_move_to(cr, label.rect.left, label.rect.top + kUiFontHeight);
            cairo_show_text(cr, label.text.c_str());
        }
        for (size_t i = 0; i < buttons.size(); ++i)
            drawButton(cr, buttons[i], i == 0);
        if (editBox) {
            drawTextBox(cr, editor, *editBox, FontSpec{"Liberation Sans", kUiFontHeight}, 0,
                        kDialogText, kFieldFace, true);
            setSourceRgb(cr, kButtonEdge);
            cairo_set_line_width(cr, 1.0);
            cairo_rectangle(cr, editBox->left - 0.5, editBox->top - 0.5, editBox->width() + 1,
                            editBox->height() + 1);
            cairo_stroke(cr);
        }
        cairo_destroy(cr);
        cairo_surface_flush(surface_);
        XFlush(display_);
    }

    Display* display_;
    Atom deleteAtom_;
    double scale_;
    Window window_ = 0;
    cairo_surface_t* surface_ = nullptr;
};

Window topLevelOf(Display* display, Window window) {
    Window current = window;
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, current, &root, &parent, &children, &count)) return 0;
        if (children) XFree(children);
        if (parent == root || parent == 0) return current;
        current = parent;
    }
}

}  // namespace

bool X11Platform::beginDialog() {
    if (!connect()) return false;
    dialogsOpen_++;
    return true;
}

void X11Platform::endDialog() {
    dialogsOpen_--;
    disconnectWhenUnused();
}

std::optional<std::string> X11Platform::askName(WindowId owner, const NameDialogSpec& spec) {
    if (!beginDialog()) return std::nullopt;
    Display* display = connection_->display;
    ModalDialog dialog(display, connection_->deleteWindowAtom, scaleFactor());
    dialog.labels = {{{26, 22, 230, 40}, spec.prompt}, {{40, 124, 350, 140}, spec.note}};
    dialog.buttons = {{{258, 14, 358, 42}, "OK", kConfirmed},
                      {{258, 48, 358, 76}, "Cancel", kCancelled}};
    dialog.editBox = PixelRect{44, 62, 216, 86};
    const int result = dialog.run(
        owner ? topLevelOf(display, static_cast<Window>(owner)) : 0, spec.title, 372, 150,
        [&](int answer) {
            return answer == kCancelled || !spec.acceptText ||
                   spec.acceptText(dialog.editor.text());
        },
        *this);
    endDialog();
    if (result != kConfirmed) return std::nullopt;
    return dialog.editor.text();
}

bool X11Platform::askYesNo(WindowId owner, const std::string& title, const std::string& text) {
    if (!beginDialog()) return false;
    Display* display = connection_->display;
    constexpr int32_t kCharWidthEstimate = 7;
    const int32_t width =
        std::max<int32_t>(260, static_cast<int32_t>(text.size()) * kCharWidthEstimate + 48);
    ModalDialog dialog(display, connection_->deleteWindowAtom, scaleFactor());
    dialog.labels = {{{24, 24, width - 24, 44}, text}};
    const int32_t centre = width / 2;
    dialog.buttons = {{{centre - 110, 70, centre - 10, 98}, "Yes", kConfirmed},
                      {{centre + 10, 70, centre + 110, 98}, "No", kCancelled}};
    const int result = dialog.run(
        owner ? topLevelOf(display, static_cast<Window>(owner)) : 0, title, width, 116,
        [](int) { return true; }, *this);
    endDialog();
    return result == kConfirmed;
}

}  // namespace marrowfold
