// Drawing and key handling shared by the X11 edit field and the modal dialogs.

#include <X11/keysym.h>

#include <algorithm>
#include <cmath>

#include "platform/X11Internal.h"

namespace marrowfold {

namespace {

constexpr int kTypedBufferSize = 32;

KeyOutcome applyMovement(LineEditor& editor, KeySym key, bool shift) {
    switch (key) {
        case XK_Left:
        case XK_KP_Left:
            editor.left(shift);
            return KeyOutcome::Edited;
        case XK_Right:
        case XK_KP_Right:
            editor.right(shift);
            return KeyOutcome::Edited;
        case XK_Home:
        case XK_KP_Home:
            editor.home(shift);
            return KeyOutcome::Edited;
        case XK_End:
        case XK_KP_End:
            editor.end(shift);
            return KeyOutcome::Edited;
        case XK_BackSpace:
            editor.backspace();
            return KeyOutcome::Edited;
        case XK_Delete:
        case XK_KP_Delete:
            editor.deleteForward();
            return KeyOutcome::Edited;
        default:
            return KeyOutcome::Ignored;
    }
}

double textWidth(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t extents{};
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

}  // namespace

KeyOutcome applyKey(LineEditor& editor, XKeyEvent& event) {
    char typed[kTypedBufferSize] = {};
    KeySym key = NoSymbol;
    const int length = XLookupString(&event, typed, kTypedBufferSize - 1, &key, nullptr);
    if (key == XK_Return || key == XK_KP_Enter) return KeyOutcome::Enter;
    if (key == XK_Escape) return KeyOutcome::Escape;
    const bool shift = event.state & ShiftMask;
    if (const KeyOutcome moved = applyMovement(editor, key, shift); moved != KeyOutcome::Ignored) {
        return moved;
    }
    if ((event.state & ControlMask) && (key == XK_a || key == XK_A)) {
        editor.selectAll();
        return KeyOutcome::Edited;
    }
    if (event.state & ControlMask) return KeyOutcome::Ignored;
    std::string printable;
    for (int i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(typed[i]) >= 0x20 && typed[i] != 0x7f) {
            printable += typed[i];
        }
    }
    if (printable.empty()) return KeyOutcome::Ignored;
    editor.insert(printable);
    return KeyOutcome::Edited;
}

void setSourceRgb(cairo_t* cr, PackedRgb colour) {
    cairo_set_source_rgb(cr, ((colour >> 16) & 0xff) / 255.0, ((colour >> 8) & 0xff) / 255.0,
                         (colour & 0xff) / 255.0);
}

namespace {

// Where the text of an edit box starts and its baseline, with the font selected on cr.
struct TextBoxLayout {
    double x;
    double baseline;
};

TextBoxLayout layoutTextBox(cairo_t* cr, const LineEditor& editor, const PixelRect& rect,
                            const FontSpec& font, int32_t alignment) {
    cairo_select_font_face(cr, installedFamily(font.face).c_str(), CAIRO_FONT_SLANT_NORMAL,
                           font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, font.pixelHeight);
    cairo_font_extents_t metrics{};
    cairo_font_extents(cr, &metrics);

    const std::string& content = editor.text();
    const double full = textWidth(cr, content);
    const double room = rect.width() - 2.0;
    double x = rect.left + 1.0;
    if (full <= room) {
        if (alignment == 1) x = rect.left + (rect.width() - full) / 2.0;
        if (alignment == 2) x = rect.right - 1.0 - full;
    }
    const double caretX = textWidth(cr, content.substr(0, editor.caret()));
    // Scroll so that the caret stays inside the box.
    if (x + caretX > rect.right - 2.0) x = rect.right - 2.0 - caretX;
    const double baseline = std::round(
        rect.top + (rect.height() - (metrics.ascent + metrics.descent)) / 2.0 + metrics.ascent);
    return {std::round(x), baseline};
}

}  // namespace

size_t caretIndexAt(cairo_t* cr, const LineEditor& editor, const PixelRect& rect,
                    const FontSpec& font, int32_t alignment, int32_t clickX) {
    cairo_save(cr);
    const double x = layoutTextBox(cr, editor, rect, font, alignment).x;
    const std::string& content = editor.text();
    size_t index = 0;
    // The boundary nearest the click: past a character once the click is beyond its middle.
    while (index < content.size()) {
        const double before = textWidth(cr, content.substr(0, index));
        const double after = textWidth(cr, content.substr(0, index + 1));
        if (clickX < x + (before + after) / 2.0) break;
        index++;
    }
    cairo_restore(cr);
    return index;
}

void drawTextBox(cairo_t* cr, const LineEditor& editor, const PixelRect& rect, const FontSpec& font,
                 int32_t alignment, PackedRgb text, PackedRgb background, bool focused) {
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    cairo_clip(cr);
    setSourceRgb(cr, background);
    cairo_paint(cr);
    const auto [x, baseline] = layoutTextBox(cr, editor, rect, font, alignment);
    const std::string& content = editor.text();
    const double caretX = textWidth(cr, content.substr(0, editor.caret()));

    if (focused && editor.hasSelection()) {
        const double from = textWidth(cr, content.substr(0, editor.selectionStart()));
        const double to = textWidth(cr, content.substr(0, editor.selectionEnd()));
        setSourceRgb(cr, text);
        cairo_rectangle(cr, x + from, rect.top + 1, to - from, rect.height() - 2);
        cairo_fill(cr);
    }
    cairo_move_to(cr, x, baseline);
    setSourceRgb(cr, text);
    cairo_show_text(cr, content.c_str());
    if (focused && editor.hasSelection()) {
        const double from = textWidth(cr, content.substr(0, editor.selectionStart()));
        const std::string selected = content.substr(
            editor.selectionStart(), editor.selectionEnd() - editor.selectionStart());
        cairo_move_to(cr, x + from, baseline);
        setSourceRgb(cr, background);
        cairo_show_text(cr, selected.c_str());
    } else if (focused) {
        setSourceRgb(cr, text);
        cairo_rectangle(cr, std::round(x + caretX), rect.top + 1, 1, rect.height() - 2);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

Window createTopLevel(Display* display, Window owner, const std::string& title, int32_t width,
                      int32_t height, Atom deleteAtom) {
    const Window root = DefaultRootWindow(display);
    int x = 100, y = 100;
    if (owner) {
        Window child = 0;
        XTranslateCoordinates(display, owner, root, 20, 20, &x, &y, &child);
    }
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | StructureNotifyMask;
    const Window window = XCreateWindow(
        display, root, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
        CopyFromParent, InputOutput, CopyFromParent, CWBackPixmap | CWEventMask, &attributes);
    XStoreName(display, window, title.c_str());
    if (owner) XSetTransientForHint(display, window, owner);
    XSetWMProtocols(display, window, &deleteAtom, 1);
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize | PPosition;
    hints.min_width = hints.max_width = width;
    hints.min_height = hints.max_height = height;
    hints.x = x;
    hints.y = y;
    XSetWMNormalHints(display, window, &hints);
    XMapRaised(display, window);
    XSync(display, False);
    return window;
}

}  // namespace marrowfold
