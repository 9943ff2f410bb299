#include "frontends/qt/qt_convert.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPalette>

#include "toolkit/images.h"

namespace lantervo::qt {

QString ToQt(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) {
  return text.toUtf8().toStdString();
}

QString DisplayLines(const std::string& text) {
  QString result = ToQt(text);
  result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return result;
}

QString LabelCaption(const std::string& caption) {
  const QString text = ToQt(caption);
  QString result;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&')) {
      if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
        result += QLatin1Char('&');
        ++i;
      }
      continue;
    }
    result += text[i];
  }
  return result;
}

QColor ToQColor(Color color, const QPalette& palette) {
  if ((color & colors::kSystemColor) == 0)
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
  switch (color & 0xFF) {
    case 4:   // menu
    case 15:  // button face
      return palette.color(QPalette::Active, QPalette::Window);
    case 5:  // window
      return palette.color(QPalette::Active, QPalette::Base);
    case 13:  // highlight
      return palette.color(QPalette::Active, QPalette::Highlight);
    case 14:  // highlight text
      return palette.color(QPalette::Active, QPalette::HighlightedText);
    case 26:  // hot light: links
      return palette.color(QPalette::Active, QPalette::Link);
    case 8:  // window text
    default:
      return palette.color(QPalette::Active, QPalette::WindowText);
  }
}

QFont ToQFont(const TFont& font) {
  QFont result(ToQt(font.Name()));
  // Where the named face is missing, fontconfig picks the closest sans face at this height.
  result.setStyleHint(QFont::SansSerif);
  const auto height = font.Height();
  if (height < 0) {
    result.setPixelSize(static_cast<int>(-height));
  } else if (height > 0) {
    // A positive height includes the internal leading, about a fifth of it.
    result.setPixelSize(std::max(1, static_cast<int>(height * 4 / 5)));
  }
  result.setBold((font.Style() & fsBold) != 0);
  result.setItalic((font.Style() & fsItalic) != 0);
  result.setUnderline((font.Style() & fsUnderline) != 0);
  result.setStrikeOut((font.Style() & fsStrikeOut) != 0);
  return result;
}

QPixmap Artwork(const std::string& name) {
  if (name.empty()) return {};
  return QPixmap(QStringLiteral(":/art/") + ToQt(name) + QStringLiteral(".png"));
}

QPixmap ListImage(const TImageList& list, std::int64_t index) {
  if (index < 0 || index >= list.Count()) return {};
  return Artwork(list.Images()[static_cast<int>(index)]);
}

QPixmap PicturePixmap(const TPicture& picture) {
  if (const TImageList* list = picture.ImageList()) return ListImage(*list, picture.ImageIndex());
  return Artwork(picture.Resource());
}

std::uint16_t VirtualKey(const QKeyEvent& event) {
  const int key = event.key();
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<std::uint16_t>(key);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<std::uint16_t>(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
    return static_cast<std::uint16_t>(keys::kF1 + (key - Qt::Key_F1));
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return keys::kTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return keys::kReturn;
    case Qt::Key_Escape:
      return keys::kEscape;
    case Qt::Key_Space:
      return keys::kSpace;
    case Qt::Key_PageUp:
      return keys::kPrior;
    case Qt::Key_PageDown:
      return keys::kNext;
    case Qt::Key_End:
      return keys::kEnd;
    case Qt::Key_Home:
      return keys::kHome;
    case Qt::Key_Left:
      return keys::kLeft;
    case Qt::Key_Up:
      return keys::kUp;
    case Qt::Key_Right:
      return keys::kRight;
    case Qt::Key_Down:
      return keys::kDown;
    case Qt::Key_Insert:
      return keys::kInsert;
    case Qt::Key_Delete:
      return keys::kDelete;
    case Qt::Key_Backspace:
      return 0x08;
    default:
      return 0;
  }
}

ShiftState Shift(const QKeyEvent& event) {
  const Qt::KeyboardModifiers m = event.modifiers();
  ShiftState shift = 0;
  if (m & Qt::ShiftModifier) shift |= ssShift;
  if (m & Qt::AltModifier) shift |= ssAlt;
  if (m & Qt::ControlModifier) shift |= ssCtrl;
  return shift;
}

}  // namespace lantervo::qt
