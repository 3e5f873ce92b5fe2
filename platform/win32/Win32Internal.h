#pragma once

// Shared by the Win32 backend's source files only.

#include <ole2.h>
#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/GdiSurface.h"
#include "platform/win32/Win32Module.h"
#include "platform/win32/Win32Platform.h"

namespace marrowfold::win32 {

class FrameDropTarget;

struct Win32Platform::OwnWindow {
    HWND hwnd = nullptr;
    Win32Platform* platform = nullptr;
    std::shared_ptr<GdiSurface> surface;
    WindowEvents* events = nullptr;
    PointerShape cursor = PointerShape::Arrow;
    // Set while the window is registered as a drop target, which holds one OLE initialisation.
    FrameDropTarget* dropTarget = nullptr;
};

struct Win32Platform::Field {
    HWND hwnd = nullptr;
    HWND parent = nullptr;
    Win32Platform* platform = nullptr;
    EditFieldId id = kNoEditField;
    WNDPROC controlProc = nullptr;
    HFONT font = nullptr;
    // The brush of the last colour request, deleted with the next one and with the field.
    HBRUSH brush = nullptr;
    PackedRgb textColour = 0;
    PackedRgb backgroundColour = 0;
    EditFieldEvents* events = nullptr;
    // The text when the window went away under the field, which is then kept until closed.
    std::string textLeft;
};

// The frame window's OLE drop target: offers of text or a file list are accepted, and a drop
// reaches the window's owner as text or as file names. Reference counted as OLE requires; the
// owner detaches it when the window goes, so late calls from OLE find nobody to tell.
class FrameDropTarget : public IDropTarget {
  public:
    // Drop points reach the owner in the logical pixels of a window at that scale.
    FrameDropTarget(HWND window, WindowEvents* events, double scale);
    void detach();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL where,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL where, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL where,
                                   DWORD* effect) override;

  private:
    virtual ~FrameDropTarget() = default;
    bool deliver(IDataObject* data, POINTL where);

    LONG references_ = 1;
    bool accepting_ = false;
    HWND window_;
    WindowEvents* events_;
    double scale_;
};

}  // namespace marrowfold::win32
