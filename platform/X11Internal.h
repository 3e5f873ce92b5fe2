#pragma once

// Shared by the X11 backend's source files only.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>

#include <map>
#include <memory>

#include "platform/X11Platform.h"
#include "platform/cairo/CairoSurface.h"

namespace marrowfold {

// One display connection, open only while a window of ours exists. A lost connection (the server
// went away) is marked instead of ending the process, and is not used again.
struct X11Platform::Connection {
    Display* display = nullptr;
    Atom deleteWindowAtom = 0;
    std::map<PointerShape, Cursor> cursors;
    bool lost = false;

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Cursor cursorFor(PointerShape shape);
};

// The display of a connection that is open and not lost, else null.
inline Display* liveDisplay(const std::unique_ptr<X11Platform::Connection>& connection) {
    return connection && !connection->lost ? connection->display : nullptr;
}

struct X11Platform::OwnWindow {
    Window id = 0;
    std::shared_ptr<CairoSurface> surface;
    WindowEvents* events = nullptr;
    PointerShape cursor = PointerShape::Arrow;
};

struct X11Platform::Field {
    Window window = 0;
    Window parent = 0;
    cairo_surface_t* surface = nullptr;
    // Device pixels per logical pixel of the window the field lies over.
    double scale = 1.0;
    EditFieldSpec spec;
    LineEditor editor;
    EditFieldEvents* events = nullptr;
    bool closing = false;
};

// What a key press did to a line of text.
enum class KeyOutcome { Edited, Enter, Escape, Ignored };

// Applies a key press to the text: typing, Backspace, Delete, arrows, Home, End, Control+A.
KeyOutcome applyKey(LineEditor& editor, XKeyEvent& event);

// Draws the text of an edit box with its selection and, when focused, its caret.
void drawTextBox(cairo_t* cr, const LineEditor& editor, const PixelRect& rect, const FontSpec& font,
                 int32_t alignment, PackedRgb text, PackedRgb background, bool focused);

// The caret position nearest to a click at clickX in an edit box drawn as drawTextBox draws it.
size_t caretIndexAt(cairo_t* cr, const LineEditor& editor, const PixelRect& rect,
                    const FontSpec& font, int32_t alignment, int32_t clickX);

void setSourceRgb(cairo_t* cr, PackedRgb colour);

// A top-level window of ours with a cairo surface, for the modal dialogs.
Window createTopLevel(Display* display, Window owner, const std::string& title, int32_t width,
                      int32_t height, Atom deleteAtom);

}  // namespace marrowfold
