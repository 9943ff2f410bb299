// The five windows on the Win32 desktop (under wine) in English and in Czech, measured with the
// fonts GDI draws them with: no label runs under the control beside it or past the window's
// edge, every button and check box holds its caption, every grid title fits its column.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "frontends/win32/win32_desktop.h"
#include "platform/utf.h"
#include "tests/support/program_windows.h"

namespace lantervo::win32 {
namespace {

struct Child {
  HWND hwnd;
  HWND parent;
  std::wstring kind;
  std::wstring text;
  RECT rect;  // in the parent's client coordinates
};

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM data) {
  auto& children = *reinterpret_cast<std::vector<Child>*>(data);
  Child child{hwnd, GetParent(hwnd), {}, {}, {}};
  wchar_t buffer[512] = {};
  GetClassNameW(hwnd, buffer, 512);
  child.kind = buffer;
  buffer[0] = 0;
  GetWindowTextW(hwnd, buffer, 512);
  child.text = buffer;
  GetWindowRect(hwnd, &child.rect);
  MapWindowPoints(nullptr, child.parent, reinterpret_cast<POINT*>(&child.rect), 2);
  children.push_back(child);
  return TRUE;
}

// The text's extent in the control's own font, "&" taken as a prefix where the control does.
SIZE TextExtent(HWND control, const std::wstring& text, bool prefix) {
  HDC dc = GetDC(control);
  const HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT bounds{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds,
            DT_CALCRECT | DT_SINGLELINE | (prefix ? 0 : DT_NOPREFIX));
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

bool Overlap(const RECT& a, const RECT& b) {
  RECT both;
  return IntersectRect(&both, &a, &b) != FALSE;
}

class CaptionsFitTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { windows = std::make_unique<test::ProgramWindows>(desktop, GetParam()); }
  void TearDown() override { windows.reset(); }

  void ExpectCaptionsFit(TForm& form) {
    const HWND window = desktop.WindowOf(form);
    std::vector<Child> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    RECT client;
    GetClientRect(window, &client);
    const std::string where = form.Name() + ".";
    for (const Child& child : children) {
      SCOPED_TRACE(where + platform::Narrow(child.kind) + " \"" + platform::Narrow(child.text) +
                   "\"");
      const LONG style = GetWindowLongW(child.hwnd, GWL_STYLE);
      const LONG width = child.rect.right - child.rect.left;
      if (child.kind == L"Static" && !child.text.empty()) {
        const SIZE text = TextExtent(child.hwnd, child.text, (style & SS_NOPREFIX) == 0);
        const RECT drawn{child.rect.left, child.rect.top, child.rect.left + text.cx,
                         child.rect.top + text.cy};
        if (child.parent == window) {
          EXPECT_LE(drawn.right, client.right);
        }
        // A page: a panel on a tab control.
        wchar_t grandparent[64] = {};
        GetClassNameW(GetParent(child.parent), grandparent, 64);
        if (std::wstring(grandparent) == WC_TABCONTROLW) {
          RECT page;
          GetClientRect(child.parent, &page);
          EXPECT_LE(drawn.right, page.right) << "past the page's edge";
        }
        for (const Child& other : children) {
          if (other.hwnd == child.hwnd || other.parent != child.parent || other.kind == L"Static")
            continue;
          EXPECT_FALSE(Overlap(drawn, other.rect)) << "runs under " << platform::Narrow(other.text);
        }
      }
      if (child.kind == L"Button" && !child.text.empty()) {
        const LONG type = style & BS_TYPEMASK;
        const SIZE text = TextExtent(child.hwnd, child.text, true);
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
          EXPECT_LE(text.cx + 4 * GetSystemMetrics(SM_CXEDGE), width);
        } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) {
          EXPECT_LE(text.cx + GetSystemMetrics(SM_CXMENUCHECK) + 4, width);
        }
      }
      if (child.kind == WC_HEADERW) {
        const int count = Header_GetItemCount(child.hwnd);
        for (int i = 0; i < count; ++i) {
          wchar_t title[256] = {};
          HDITEMW item{};
          item.mask = HDI_TEXT | HDI_WIDTH;
          item.pszText = title;
          item.cchTextMax = 256;
          Header_GetItem(child.hwnd, i, &item);
          if (!title[0]) continue;
          SCOPED_TRACE("title \"" + platform::Narrow(title) + "\"");
          // The header keeps a margin of three edges on each side of a title.
          EXPECT_LE(TextExtent(child.hwnd, title, false).cx + 6 * GetSystemMetrics(SM_CXEDGE),
                    item.cxy);
        }
      }
    }
  }

  Win32Desktop desktop{GetModuleHandleW(nullptr)};
  std::unique_ptr<test::ProgramWindows> windows;
};

TEST_P(CaptionsFitTest, EveryCaptionShowsWhole) {
  if (std::string(GetParam()) == "cs") {
    ASSERT_EQ(windows->settings->labelAfterStart->Caption(), "Spouštět po startu systému");
  }
  for (TForm* form : windows->All()) ExpectCaptionsFit(*form);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, CaptionsFitTest, ::testing::Values("en", "cs"));

}  // namespace
}  // namespace lantervo::win32
