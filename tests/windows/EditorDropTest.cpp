// The editor's window as an OLE drop target, reached the way the OLE drag loop reaches it: the
// window property that RegisterDragDrop leaves. Text and file lists are offered a move, or a copy
// with Control held; other data is refused. No view of this editor takes drops, so a drop is
// refused cleanly: every medium the editor took is released and every reference it took on the
// data is given back. The editor's OLE initialisation lasts exactly as long as its window.
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "tests/windows/WindowsEditorFixture.h"

namespace marrowfold::testing {
namespace {

constexpr char kDropTargetProperty[] = "OleDropTargetInterface";
constexpr DWORD kEveryEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
constexpr char kDroppedText[] = "Marrowfold";
constexpr char kDroppedFiles[] = "C:\\take.wav\0C:\\other take.wav\0";  // and the final zero
constexpr POINT kDropPoint = {100, 100};

// Stands for the owner of the media handed out, so that the receiver's ReleaseStgMedium reaches
// us and each release is counted.
class MediumOwner final : public IUnknown {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown ? this : nullptr;
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        ++releases;
        return --references;
    }

    LONG references = 0;
    LONG releases = 0;
};

// Data in one clipboard format on global memory, as a drag source offers it.
class OfferedData final : public IDataObject {
  public:
    OfferedData(CLIPFORMAT format, const void* bytes, size_t size)
        : format_{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
          bytes_(static_cast<const char*>(bytes), static_cast<const char*>(bytes) + size) {}
    OfferedData(const OfferedData&) = delete;
    OfferedData& operator=(const OfferedData&) = delete;
    ~OfferedData() {
        for (HGLOBAL memory : handedOut_)
            GlobalFree(memory);
    }

    static OfferedData text() { return {CF_TEXT, kDroppedText, sizeof kDroppedText}; }
    static OfferedData files() {
        std::vector<char> list(sizeof(DROPFILES) + sizeof kDroppedFiles);
        DROPFILES header = {};
        header.pFiles = sizeof header;
        std::memcpy(list.data(), &header, sizeof header);
        std::memcpy(list.data() + sizeof header, kDroppedFiles, sizeof kDroppedFiles);
        return {CF_HDROP, list.data(), list.size()};
    }
    // A picture: neither text nor files.
    static OfferedData picture() {
        BITMAPINFOHEADER header = {};
        header.biSize = sizeof header;
        header.biWidth = header.biHeight = header.biPlanes = 1;
        header.biBitCount = 32;
        return {CF_DIB, &header, sizeof header};
    }

    // The references the target still holds, and media it took but did not release.
    LONG referencesHeld() const { return references_; }
    LONG mediaUnreleased() const { return static_cast<LONG>(handedOut_.size()) - owner_.releases; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == IID_IDataObject ? this : nullptr;
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
        if (QueryGetData(wanted) != S_OK) return DV_E_FORMATETC;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes_.size());
        std::memcpy(GlobalLock(memory), bytes_.data(), bytes_.size());
        GlobalUnlock(memory);
        handedOut_.push_back(memory);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = &owner_;
        owner_.AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override {
        const bool offered = wanted && wanted->cfFormat == format_.cfFormat &&
                             (wanted->tymed & TYMED_HGLOBAL) &&
                             wanted->dwAspect == DVASPECT_CONTENT;
        return offered ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        return SHCreateStdEnumFmtEtc(1, &format_, formats);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }

  private:
    FORMATETC format_;
    std::vector<char> bytes_;
    std::vector<HGLOBAL> handedOut_;
    MediumOwner owner_;
    LONG references_ = 0;
};

constexpr OfferedData (*kTextAndFiles[])() = {&OfferedData::text, &OfferedData::files};

// Whether this thread's COM apartment was left uninitialised by everything before.
bool apartmentWasFree() {
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(result)) CoUninitialize();
    return result == S_OK;
}

class DropTargetTest : public WindowsEditorTest {
  protected:
    void SetUp() override {
        WindowsEditorTest::SetUp();
        editor = openEditor();
        ASSERT_NE(editor, nullptr);
        target = static_cast<IDropTarget*>(GetPropA(editor, kDropTargetProperty));
        ASSERT_NE(target, nullptr) << "the editor's window is no drop target";
        POINT screen = kDropPoint;
        ClientToScreen(editor, &screen);
        at = {screen.x, screen.y};
    }

    // What the target answers to the data entering with those keys and moving over it once.
    DWORD enterAndMove(OfferedData& data, DWORD keys) {
        DWORD entered = kEveryEffect;
        EXPECT_EQ(target->DragEnter(&data, keys, at, &entered), S_OK);
        DWORD moved = kEveryEffect;
        EXPECT_EQ(target->DragOver(keys, at, &moved), S_OK);
        EXPECT_EQ(moved, entered) << "moving over the window answers as entering it";
        return entered;
    }

    HWND editor = nullptr;
    IDropTarget* target = nullptr;
    POINTL at = {};
};

TEST_F(DropTargetTest, TextAndFilesAreOfferedAMoveOrACopyWithControl) {
    for (const auto offer : kTextAndFiles) {
        OfferedData data = offer();
        EXPECT_EQ(enterAndMove(data, MK_LBUTTON), static_cast<DWORD>(DROPEFFECT_MOVE));
        EXPECT_EQ(target->DragLeave(), S_OK);
        EXPECT_EQ(enterAndMove(data, MK_LBUTTON | MK_CONTROL), static_cast<DWORD>(DROPEFFECT_COPY));
        EXPECT_EQ(target->DragLeave(), S_OK);
        idleFor(kSettleMs);
        EXPECT_EQ(data.referencesHeld(), 0) << "references kept after the drag left";
        EXPECT_EQ(data.mediaUnreleased(), 0) << "media kept after the drag left";
    }
}

TEST_F(DropTargetTest, DataThatIsNeitherTextNorFilesIsRefused) {
    OfferedData data = OfferedData::picture();
    EXPECT_EQ(enterAndMove(data, MK_LBUTTON), static_cast<DWORD>(DROPEFFECT_NONE));
    DWORD dropped = kEveryEffect;
    EXPECT_EQ(target->Drop(&data, MK_LBUTTON, at, &dropped), S_OK);
    EXPECT_EQ(dropped, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(data.referencesHeld(), 0);
    EXPECT_EQ(data.mediaUnreleased(), 0);
}

TEST_F(DropTargetTest, ADropIsRefusedCleanlyAndTheEditorGoesOn) {
    idleFor(kSettleMs);
    const Picture before = captureClient(editor);
    for (const auto offer : kTextAndFiles) {
        OfferedData data = offer();
        enterAndMove(data, MK_LBUTTON);
        DWORD dropped = kEveryEffect;
        EXPECT_EQ(target->Drop(&data, MK_LBUTTON, at, &dropped), S_OK);
        EXPECT_EQ(dropped, static_cast<DWORD>(DROPEFFECT_NONE)) << "no view takes drops";
        idleFor(kSettleMs);
        EXPECT_EQ(data.referencesHeld(), 0) << "references kept after the drop";
        EXPECT_EQ(data.mediaUnreleased(), 0) << "media kept after the drop";
    }
    EXPECT_EQ(differingPixels(before, captureClient(editor)), 0) << "the drop changed the panel";
    ASSERT_TRUE(expandEditor(editor)) << "the editor still answers clicks";
}

TEST_F(DropTargetTest, TheEditorsOleLastsAsLongAsItsWindow) {
    EXPECT_FALSE(apartmentWasFree()) << "the open editor initialised OLE on this thread";
    host.dispatch(ReqEditorClose);
    pumpMessages();
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_TRUE(apartmentWasFree()) << "closing left OLE initialised";
    ASSERT_NE(editor = openEditor(), nullptr);
    EXPECT_NE(GetPropA(editor, kDropTargetProperty), nullptr) << "a reopened editor takes drops";
}

}  // namespace
}  // namespace marrowfold::testing
