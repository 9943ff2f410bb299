#pragma once
// Turns the toolkit's plain data (UTF-8 text, colours, fonts, keys, artwork names) into Qt's.
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <cstdint>
#include <string>

#include "toolkit/events.h"
#include "toolkit/graphics.h"

class QKeyEvent;
class QPalette;

namespace lantervo {

class TImageList;

namespace qt {

QString ToQt(const std::string& text);
std::string FromQt(const QString& text);
// Line breaks as Qt shows them: CR LF, lone CR and lone LF all become LF.
QString DisplayLines(const std::string& text);
// A caption whose '&' marks an accelerator, as a label shows it: "&&" is one "&", a single
// "&" disappears.
QString LabelCaption(const std::string& caption);

// A colour value (0x00BBGGRR or a system colour) as this desktop paints it.
QColor ToQColor(Color color, const QPalette& palette);
QFont ToQFont(const TFont& font);

// The program's artwork by name ("lamp_green", ...); a null pixmap for an unknown name.
QPixmap Artwork(const std::string& name);
// One picture of an image list, or a null pixmap when the index is outside it.
QPixmap ListImage(const TImageList& list, std::int64_t index);
QPixmap PicturePixmap(const TPicture& picture);

// A Qt key as the platform's virtual-key code (0 when it has none) and the shift state.
std::uint16_t VirtualKey(const QKeyEvent& event);
ShiftState Shift(const QKeyEvent& event);

}  // namespace qt
}  // namespace lantervo
