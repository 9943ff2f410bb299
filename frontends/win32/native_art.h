#pragma once
// The program's artwork, fonts and colours as GDI objects, made once and kept until exit.
#include <windows.h>

#include <string>

#include "frontends/win32/dpi.h"
#include "toolkit/graphics.h"

namespace lantervo::win32 {

// One piece of artwork: a top-down 32-bit DIB with premultiplied alpha.
struct Artwork {
  HBITMAP bitmap = nullptr;
  int width = 0;
  int height = 0;
};

// The artwork of this resource name ("lamp_green", "logo", ...); null when the executable does
// not carry it.
const Artwork* FindArtwork(const std::string& name);
// Draws it stretched into dest, blending with what is there; nothing for an unknown name.
void DrawArtwork(HDC dc, const std::string& name, const RECT& dest);
// An icon made from the artwork (tray icons); the application icon for an unknown name.
HICON ArtworkIcon(const std::string& name);
// The resource name a picture shows: its own, or that of the image-list entry it was taken from.
std::string PictureResource(const TPicture& picture);

COLORREF ToColorRef(Color color);
HBRUSH SolidBrush(Color color);
// The font at the DPI of the window it is drawn in (its height is given at 96 DPI).
HFONT FontFor(const TFont& font, UINT dpi = kDesignDpi);

}  // namespace lantervo::win32
