// Drag and drop onto a frame window: an OLE drop target registered for the window while it
// accepts drops, with OLE initialised on the window's thread for as long.

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

#include "platform/win32/Win32Internal.h"

namespace marrowfold::win32 {

namespace {

// Names longer than this are cut, as they are handed on in buffers of this size.
constexpr UINT kNameBytes = 1024;
constexpr UINT kAllFiles = 0xFFFFFFFF;
constexpr char kShortcutExtension[] = ".lnk";

FORMATETC formatOf(CLIPFORMAT format) {
    return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool offers(IDataObject* data, CLIPFORMAT format) {
    FORMATETC wanted = formatOf(format);
    return data && data->QueryGetData(&wanted) == S_OK;
}

// The data in global memory, or false when it is not offered that way.
bool fetch(IDataObject* data, CLIPFORMAT format, STGMEDIUM& medium) {
    FORMATETC wanted = formatOf(format);
    return data && data->GetData(&wanted, &medium) == S_OK && medium.tymed == TYMED_HGLOBAL;
}

bool isShortcut(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    std::string extension = name.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == kShortcutExtension;
}

// The path a shell link points to; the link's own name when it cannot be read.
std::string shortcutTarget(const std::string& link) {
    IShellLinkA* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shell)))) {
        return link;
    }
    std::string target = link;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::array<WCHAR, kNameBytes> wide{};
        std::array<char, kNameBytes> path{};
        if (MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide.data(), kNameBytes) > 0 &&
            SUCCEEDED(file->Load(wide.data(), STGM_READ)) &&
            shell->GetPath(path.data(), kNameBytes, nullptr, 0) == S_OK) {
            target = path.data();
        }
        file->Release();
    }
    shell->Release();
    return target;
}

std::vector<std::string> droppedFiles(HDROP drop) {
    std::vector<std::string> names;
    const UINT count = DragQueryFileA(drop, kAllFiles, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::array<char, kNameBytes> name{};
        DragQueryFileA(drop, i, name.data(), kNameBytes);
        std::string file = name.data();
        names.push_back(isShortcut(file) ? shortcutTarget(file) : file);
    }
    return names;
}

// The text up to its terminating zero, never beyond the memory block.
std::string droppedText(HGLOBAL memory) {
    const auto* text = static_cast<const char*>(GlobalLock(memory));
    if (!text) return {};
    const SIZE_T size = GlobalSize(memory);
    const std::string result(text, std::find(text, text + size, '\0'));
    GlobalUnlock(memory);
    return result;
}

}  // namespace

FrameDropTarget::FrameDropTarget(HWND window, WindowEvents* events, double scale)
    : window_(window), events_(events), scale_(scale) {}

void FrameDropTarget::detach() {
    events_ = nullptr;
}

HRESULT STDMETHODCALLTYPE FrameDropTarget::QueryInterface(REFIID id, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE FrameDropTarget::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE FrameDropTarget::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE FrameDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL where,
                                                     DWORD* effect) {
    accepting_ = offers(data, CF_TEXT) || offers(data, CF_HDROP);
    return DragOver(keys, where, effect);
}

HRESULT STDMETHODCALLTYPE FrameDropTarget::DragOver(DWORD keys, POINTL, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    if (!accepting_) {
        *effect = DROPEFFECT_NONE;
    } else {
        *effect = (keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameDropTarget::DragLeave() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameDropTarget::Drop(IDataObject* data, DWORD keys, POINTL where,
                                                DWORD* effect) {
    const bool taken = deliver(data, where);
    if (effect && !taken) *effect = DROPEFFECT_NONE;
    if (effect && taken) DragOver(keys, where, effect);
    DragLeave();
    return S_OK;
}

// Text is asked for first, then a file list; the owner gets either at the drop point in the
// window's coordinates and answers whether a view took it.
bool FrameDropTarget::deliver(IDataObject* data, POINTL where) {
    if (!events_) return false;
    POINT at{where.x, where.y};
    ScreenToClient(window_, &at);
    const PixelPoint point{toLogicalPixels(at.x, scale_), toLogicalPixels(at.y, scale_)};
    STGMEDIUM medium{};
    if (fetch(data, CF_TEXT, medium)) {
        const std::string text = droppedText(medium.hGlobal);
        ReleaseStgMedium(&medium);
        return events_->dropArrived(DropKind::Text, {text}, point);
    }
    if (fetch(data, CF_HDROP, medium)) {
        const std::vector<std::string> names = droppedFiles(static_cast<HDROP>(medium.hGlobal));
        ReleaseStgMedium(&medium);
        return events_->dropArrived(DropKind::FileList, names, point);
    }
    return false;
}

bool Win32Platform::acceptDrops(WindowId window, bool accept) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    OwnWindow& own = *it->second;
    if (!accept) {
        endDrops(own);
        return false;
    }
    if (own.dropTarget) return true;
    if (FAILED(OleInitialize(nullptr))) return false;
    auto* target = new FrameDropTarget(own.hwnd, own.events, own.surface->scale());
    if (FAILED(RegisterDragDrop(own.hwnd, target))) {
        target->Release();
        OleUninitialize();
        return false;
    }
    own.dropTarget = target;
    return true;
}

void Win32Platform::endDrops(OwnWindow& own) {
    if (!own.dropTarget) return;
    RevokeDragDrop(own.hwnd);
    own.dropTarget->detach();
    own.dropTarget->Release();
    own.dropTarget = nullptr;
    OleUninitialize();
}

}  // namespace marrowfold::win32
