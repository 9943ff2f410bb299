#include "frontends/win32/native_art.h"

#include <map>
#include <memory>
#include <tuple>

#include "platform/utf.h"
#include "toolkit/images.h"

namespace lantervo::win32 {

namespace {

struct Piece {
  const char* name;
  int width, height;
};
// The sizes make_art.cmake renders each piece at.
constexpr Piece kPieces[] = {
    {"lamp_green", 60, 60}, {"lamp_red", 60, 60},    {"lamp_yellow", 60, 60},
    {"paw_green", 16, 16},  {"paw_red", 16, 16},     {"paw_yellow", 16, 16},
    {"ball_gray", 16, 16},  {"ball_blue", 16, 16},   {"ball_green", 16, 16},
    {"ball_red", 16, 16},   {"ball_yellow", 16, 16}, {"warning_triangle", 40, 40},
    {"logo", 143, 60},      {"app_icon", 32, 32}};

std::map<std::string, Artwork>& Loaded() {
  static std::map<std::string, Artwork> loaded;
  return loaded;
}

Artwork Load(const Piece& piece) {
  const std::wstring name = platform::Widen(piece.name);
  HRSRC info = FindResourceW(nullptr, name.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!info) return {};
  const DWORD size = SizeofResource(nullptr, info);
  const auto* pixels = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, info)));
  // A resource of another size is not this piece: draw nothing rather than garbage.
  if (!pixels || size != static_cast<DWORD>(piece.width * piece.height * 4)) return {};
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = piece.width;
  bi.bmiHeader.biHeight = -piece.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return {};
  auto* out = static_cast<BYTE*>(bits);
  // AlphaBlend wants premultiplied colour.
  for (DWORD i = 0; i < size; i += 4) {
    const unsigned a = pixels[i + 3];
    out[i] = static_cast<BYTE>(pixels[i] * a / 255);
    out[i + 1] = static_cast<BYTE>(pixels[i + 1] * a / 255);
    out[i + 2] = static_cast<BYTE>(pixels[i + 2] * a / 255);
    out[i + 3] = static_cast<BYTE>(a);
  }
  return {bitmap, piece.width, piece.height};
}

}  // namespace

const Artwork* FindArtwork(const std::string& name) {
  auto& loaded = Loaded();
  auto it = loaded.find(name);
  if (it == loaded.end()) {
    Artwork art;
    for (const Piece& piece : kPieces)
      if (name == piece.name) art = Load(piece);
    it = loaded.emplace(name, art).first;
  }
  return it->second.bitmap ? &it->second : nullptr;
}

void DrawArtwork(HDC dc, const std::string& name, const RECT& dest) {
  const Artwork* art = FindArtwork(name);
  if (!art) return;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, art->bitmap);
  SetStretchBltMode(dc, HALFTONE);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source, 0, 0,
             art->width, art->height, blend);
  SelectObject(source, old);
  DeleteDC(source);
}

HICON ArtworkIcon(const std::string& name) {
  static std::map<std::string, HICON> icons;
  auto it = icons.find(name);
  if (it != icons.end()) return it->second;
  HICON icon = nullptr;
  if (const Artwork* art = FindArtwork(name)) {
    // The colour bitmap carries the alpha; the mask is only required to exist.
    HBITMAP mask = CreateBitmap(art->width, art->height, 1, 1, nullptr);
    ICONINFO ii{TRUE, 0, 0, mask, art->bitmap};
    icon = CreateIconIndirect(&ii);
    DeleteObject(mask);
  }
  if (!icon) icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  if (!icon) icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512) /* IDI_APPLICATION */);
  icons[name] = icon;
  return icon;
}

std::string PictureResource(const TPicture& picture) {
  if (!picture.Resource().empty()) return picture.Resource();
  const TImageList* list = picture.ImageList();
  const auto index = picture.ImageIndex();
  if (list && index >= 0 && index < list->Count()) return list->Images()[static_cast<int>(index)];
  return {};
}

COLORREF ToColorRef(Color color) {
  if (color & colors::kSystemColor) return GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0xFFFFFF);
}

HBRUSH SolidBrush(Color color) {
  if (color & colors::kSystemColor) return GetSysColorBrush(static_cast<int>(color & 0xFF));
  static std::map<Color, HBRUSH> brushes;
  auto& brush = brushes[color];
  if (!brush) brush = CreateSolidBrush(ToColorRef(color));
  return brush;
}

HFONT FontFor(const TFont& font, UINT dpi) {
  static std::map<std::tuple<std::string, std::int64_t, std::int64_t, UINT>, HFONT> fonts;
  auto& handle = fonts[{font.Name(), font.Height(), font.Style(), dpi}];
  if (!handle) {
    const std::int64_t style = font.Style();
    handle = CreateFontW(ScaleToDpi(font.Height(), dpi), 0, 0, 0,
                         (style & fsBold) ? FW_BOLD : FW_NORMAL, (style & fsItalic) ? TRUE : FALSE,
                         (style & fsUnderline) ? TRUE : FALSE, (style & fsStrikeOut) ? TRUE : FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, platform::Widen(font.Name()).c_str());
  }
  return handle;
}

}  // namespace lantervo::win32
