#pragma once

// What the X11 tests read from the server itself to prove a client left nothing behind: every
// window on the screen, and which client slot a new connection would take.

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace marrowfold::testing {

// Every window under the root, depth first, one line each: id, parent, geometry, whether it is
// override-redirect and whether it is mapped.
std::vector<std::string> windowTree(Display* display);

// The first resource id of a fresh connection. The server gives a new client the lowest free
// slot, so the same answer before and after a piece of work means no connection made during it
// is still open.
XID nextClientId();

// Lets the test process outlive the server behind this connection: Xlib's default for a lost
// connection ends the process.
void surviveLostConnection(Display* display);

}  // namespace marrowfold::testing
