#include "platform/win32/PngResource.h"

#include <wincodec.h>
#include <wrl/client.h>

namespace marrowfold::win32 {

namespace {

using Microsoft::WRL::ComPtr;

// GDI keeps the fourth byte of its 32-bit pixels zero; WIC's 32-bit BGR format fills it.
constexpr uint32_t kColourBits = 0x00ffffff;

// COM on the calling thread for the length of one decode: initialised here unless the thread
// already runs it, in whichever apartment.
class ComScope {
  public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool ready() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

  private:
    HRESULT result_;
};

struct ResourceBytes {
    BYTE* data = nullptr;
    DWORD size = 0;
};

// The bytes of a raw data resource, mapped with the module for as long as it is loaded.
ResourceBytes rawResource(HINSTANCE module, int32_t resourceId) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return {static_cast<BYTE*>(data), SizeofResource(module, found)};
}

// The first frame of the PNG, converted to 32-bit BGR; null when it does not decode.
ComPtr<IWICBitmapSource> convertedFrame(IWICImagingFactory& factory, const ResourceBytes& png) {
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    const bool converted = SUCCEEDED(factory.CreateStream(&stream)) &&
                           SUCCEEDED(stream->InitializeFromMemory(png.data, png.size)) &&
                           SUCCEEDED(factory.CreateDecoderFromStream(
                               stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) &&
                           SUCCEEDED(decoder->GetFrame(0, &frame)) &&
                           SUCCEEDED(factory.CreateFormatConverter(&converter)) &&
                           SUCCEEDED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR,
                                                           WICBitmapDitherTypeNone, nullptr, 0.0,
                                                           WICBitmapPaletteTypeCustom));
    return converted ? converter : nullptr;
}

std::optional<DecodedPicture> copiedPixels(IWICBitmapSource& source) {
    UINT width = 0;
    UINT height = 0;
    if (FAILED(source.GetSize(&width, &height)) || width == 0 || height == 0) return std::nullopt;
    DecodedPicture picture{static_cast<int32_t>(width), static_cast<int32_t>(height),
                           std::vector<uint32_t>(size_t{width} * height)};
    const UINT rowBytes = width * sizeof(uint32_t);
    if (FAILED(source.CopyPixels(nullptr, rowBytes, rowBytes * height,
                                 reinterpret_cast<BYTE*>(picture.pixels.data())))) {
        return std::nullopt;
    }
    for (uint32_t& pixel : picture.pixels)
        pixel &= kColourBits;
    return picture;
}

}  // namespace

std::optional<DecodedPicture> decodePngResource(HINSTANCE module, int32_t resourceId) {
    const ResourceBytes png = rawResource(module, resourceId);
    if (!png.data) return std::nullopt;
    // Declared first, so that every COM object below is released before COM ends.
    const ComScope com;
    ComPtr<IWICImagingFactory> factory;
    if (!com.ready() || FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr,
                                                CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)))) {
        return std::nullopt;
    }
    const ComPtr<IWICBitmapSource> frame = convertedFrame(*factory.Get(), png);
    return frame ? copiedPixels(*frame.Get()) : std::nullopt;
}

}  // namespace marrowfold::win32
