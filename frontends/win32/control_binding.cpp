#include "frontends/win32/control_binding.h"

#include "frontends/win32/form_window.h"
#include "frontends/win32/native_art.h"
#include "frontends/win32/win32_desktop.h"
#include "platform/utf.h"
#include "toolkit/control.h"
#include "toolkit/db_grid.h"
#include "toolkit/extra_controls.h"
#include "toolkit/form.h"
#include "toolkit/page_control.h"
#include "toolkit/std_controls.h"

namespace lantervo::win32 {

namespace {
const wchar_t* const kBindingProp = L"Lantervo.Binding";
}

std::uint32_t CurrentShiftState() {
  std::uint32_t shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

ControlBinding::ControlBinding(FormWindow& form, TControl& control)
    : form_(form), control_(control), alive_(MakeWeak(control)) {
  subscription_ = control_.Subscribe([this](Persistent&, std::string_view property) {
    if (hwnd_) Update(property);
  });
}

ControlBinding::~ControlBinding() {
  subscription_.Reset();
  if (hwnd_) {
    if (keysHooked_) RemoveWindowSubclass(hwnd_, KeyProc, 1);
    RemovePropW(hwnd_, kBindingProp);
    DestroyWindow(hwnd_);
  }
}

ControlBinding* ControlBinding::Of(HWND hwnd) {
  return hwnd ? static_cast<ControlBinding*>(GetPropW(hwnd, kBindingProp)) : nullptr;
}

void ControlBinding::Create(HWND parent, int id) {
  hwnd_ = CreateNative(parent, id);
  if (!hwnd_) return;
  SetPropW(hwnd_, kBindingProp, this);
  Update({});
}

HWND ControlBinding::MakeWindow(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent,
                                int id, const std::wstring& text) {
  return CreateWindowExW(
      exStyle, className, text.c_str(), WS_CHILD | style | (control_.Visible() ? WS_VISIBLE : 0),
      form_.Scale(control_.Left()), form_.Scale(control_.Top()), form_.Scale(control_.Width()),
      form_.Scale(control_.Height()), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      form_.Desktop().Instance(), this);
}

void ControlBinding::HookKeys() {
  keysHooked_ = SetWindowSubclass(hwnd_, KeyProc, 1, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

LRESULT CALLBACK ControlBinding::KeyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<ControlBinding*>(data);
  LRESULT result = 0;
  if (self->Alive() && self->SubclassMessage(msg, wParam, lParam, result)) return result;
  auto* control = self->Alive() ? dynamic_cast<TWinControl*>(&self->control_) : nullptr;
  if (control && msg == WM_KEYDOWN) {
    bool goesOn = true;
    self->Guarded([&] {
      goesOn = control->KeyDown(static_cast<std::uint16_t>(wParam), CurrentShiftState());
    });
    if (!goesOn) return 0;
  } else if (control && msg == WM_CHAR) {
    bool goesOn = true;
    self->Guarded([&] { goesOn = control->KeyPress(static_cast<char32_t>(wParam)); });
    if (!goesOn) return 0;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void ControlBinding::Guarded(const std::function<void()>& operation) {
  if (Alive()) form_.Desktop().Dispatch(operation);
}

void ControlBinding::SetNativeText(const std::string& text) {
  if (NativeText() != text) SetWindowTextW(hwnd_, platform::Widen(text).c_str());
}

std::string ControlBinding::NativeText() const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
  return platform::Narrow(text);
}

HBRUSH ControlBinding::ParentBrush(HDC dc) const {
  const Color background =
      control_.Parent() ? control_.Parent()->ControlColor() : form_.Form().ControlColor();
  SetBkMode(dc, TRANSPARENT);
  SetBkColor(dc, ToColorRef(background));
  SetTextColor(dc, ToColorRef(control_.Font()->FontColor()));
  return SolidBrush(background);
}

HBRUSH ControlBinding::ControlColors(HDC dc) {
  return ParentBrush(dc);
}

void ControlBinding::Update(std::string_view property) {
  const bool all = property.empty();
  if (all || property == prop::Left || property == prop::Top || property == prop::Width ||
      property == prop::Height)
    MoveWindow(hwnd_, form_.Scale(control_.Left()), form_.Scale(control_.Top()),
               form_.Scale(control_.Width()), form_.Scale(control_.Height()), TRUE);
  if (all || property == prop::Visible) ShowWindow(hwnd_, control_.Visible() ? SW_SHOWNA : SW_HIDE);
  if (all || property == prop::Enabled) EnableWindow(hwnd_, control_.Enabled());
  if (all || property == prop::Font || property == prop::ParentFont)
    SendMessageW(hwnd_, WM_SETFONT,
                 reinterpret_cast<WPARAM>(FontFor(*control_.Font(), form_.Dpi())), TRUE);
  if (all || property == prop::Hint || property == prop::ShowHint)
    form_.SetTooltip(hwnd_, control_.ShowHint() ? control_.Hint() : std::string());
  if (all || property == prop::TabStop || property == prop::TabOrder) {
    if (auto* wc = dynamic_cast<TWinControl*>(&control_)) {
      LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
      style = wc->TabStop() ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
      SetWindowLongW(hwnd_, GWL_STYLE, style);
    }
  }
  if (property == prop::Color) InvalidateRect(hwnd_, nullptr, TRUE);
}

void ControlBinding::DpiChanged() {
  Update("Left");
  Update("Font");
}

namespace {

class LabelBinding : public ControlBinding {
 public:
  LabelBinding(FormWindow& form, TLabel& label) : ControlBinding(form, label), label_(label) {}

 protected:
  HWND CreateNative(HWND parent, int id) override {
    return MakeWindow(L"STATIC", SS_LEFTNOWORDWRAP | SS_NOTIFY, 0, parent, id,
                      platform::Widen(label_.Caption()));
  }
  void Update(std::string_view property) override {
    ControlBinding::Update(property);
    if (property.empty() || property == prop::Caption) SetNativeText(label_.Caption());
    if (property.empty() || property == prop::Caption || property == prop::Font ||
        property == prop::AutoSize || property == prop::Width || property == prop::Height)
      FitText();
  }
  void Command(WORD code) override {
    if (code == STN_CLICKED) Guarded([this] { label_.Click(); });
    if (code == STN_DBLCLK) Guarded([this] { label_.DblClick(); });
  }

 private:
  // An auto-sized label is as large as its text.
  void FitText() {
    if (!label_.AutoSize()) return;
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, FontFor(*label_.Font(), form_.Dpi()));
    RECT r{0, 0, 0, 0};
    const std::wstring text = platform::Widen(label_.Caption().empty() ? " " : label_.Caption());
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    // A pixel to spare: the static control's own drawing may round up.
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right + 1, r.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  TLabel& label_;
};

class EditBinding : public ControlBinding {
 public:
  EditBinding(FormWindow& form, TEdit& edit) : ControlBinding(form, edit), edit_(edit) {}

 protected:
  HWND CreateNative(HWND parent, int id) override {
    HWND hwnd = MakeWindow(L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, parent, id,
                           platform::Widen(edit_.Text()));
    hwnd_ = hwnd;
    HookKeys();
    return hwnd;
  }
  void Update(std::string_view property) override {
    ControlBinding::Update(property);
    if ((property.empty() || property == prop::Text) && !updating_) SetNativeText(edit_.Text());
    if (property.empty() || property == prop::ReadOnly)
      SendMessageW(hwnd_, EM_SETREADONLY, edit_.ReadOnly(), 0);
  }
  void Command(WORD code) override {
    if (code != EN_CHANGE || updating_) return;
    updating_ = true;
    Guarded([this] { edit_.SetText(NativeText()); });
    updating_ = false;
  }

 private:
  TEdit& edit_;
};

class MemoBinding : public ControlBinding {
 public:
  MemoBinding(FormWindow& form, TMemo& memo) : ControlBinding(form, memo), memo_(memo) {}

 protected:
  HWND CreateNative(HWND parent, int id) override {
    hwnd_ = MakeWindow(L"EDIT", ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL,
                       WS_EX_CLIENTEDGE, parent, id, platform::Widen(memo_.Text()));
    HookKeys();
    return hwnd_;
  }
  void Update(std::string_view property) override {
    ControlBinding::Update(property);
    if ((property.empty() || property == prop::Lines) && !updating_) SetNativeText(memo_.Text());
  }
  void Command(WORD code) override {
    if (code != EN_CHANGE || updating_) return;
    updating_ = true;
    Guarded([this] { memo_.SetText(NativeText()); });
    updating_ = false;
  }

 private:
  TMemo& memo_;
};

class CheckBoxBinding : public ControlBinding {
 public:
  CheckBoxBinding(FormWindow& form, TCheckBox& box) : ControlBinding(form, box), box_(box) {}

 protected:
  HWND CreateNative(HWND parent, int id) override {
    // Not an automatic check box: the toolkit toggles the state and runs the click handler.
    hwnd_ = MakeWindow(L"BUTTON", BS_CHECKBOX, 0, parent, id, platform::Widen(box_.Caption()));
    HookKeys();
    return hwnd_;
  }
  void Update(std::string_view property) override {
    ControlBinding::Update(property);
    if (property.empty() || property == prop::Checked)
      SendMessageW(hwnd_, BM_SETCHECK, box_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
    if (property.empty() || property == prop::Caption) SetNativeText(box_.Caption());
  }
  void Command(WORD code) override {
    if (code == BN_CLICKED) Guarded([this] { box_.Click(); });
  }

 private:
  TCheckBox& box_;
};

class ComboBinding : public ControlBinding {
 public:
  ComboBinding(FormWindow& form, TComboBox& combo) : ControlBinding(form, combo), combo_(combo) {}

 protected:
  HWND CreateNative(HWND parent, int id) override {
    const DWORD kind = combo_.Style() == csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN;
    hwnd_ = MakeWindow(L"COMBOBOX", kind | WS_VSCROLL, 0, parent, id);
    HookKeys();
    return hwnd_;
  }
  void Update(std::string_view property) override {
    ControlBinding::Update(property);
    if (property.empty() || property == prop::Items) {
      SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
      for (const std::string& item : combo_.Items()->Lines())
        SendMessageW(hwnd_, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(platform::Widen(item).c_str()));
    }
    if (property.empty() || property == prop::Items || property == prop::ItemIndex)
      SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(combo_.ItemIndex()), 0);
    if (property.empty() || property == prop::Height || property == prop::DropDownCount ||
        property == prop::Items || property == prop::Font) {
      // The native height includes the opened list: DropDownCount rows of it.
      const auto row = SendMessageW(hwnd_, CB_GETITEMHEIGHT, 0, 0);
      const auto field = SendMessageW(hwnd_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
      SetWindowPos(hwnd_, nullptr, 0, 0, form_.Scale(combo_.Width()),
                   static_cast<int>(field + form_.Scale(8) + row * combo_.DropDownCount()),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  void Command(WORD code) override {
    if (code != CBN_SELCHANGE) return;
    const auto index = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
    Guarded([this, index] { combo_.Select(index); });
  }

 private:
  TComboBox& combo_;
};

class ButtonBinding : public ControlBinding {
 public:
  ButtonBinding(FormWindow& form, TButton& button)
      : ControlBinding(form, button), button_(button) {}

 protected:
  HWND CreateNative(HWND parent, int id) override {
    hwnd_ = MakeWindow(L"BUTTON", button_.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, 0, parent,
                       id, platform::Widen(button_.Caption()));
    HookKeys();
    return hwnd_;
  }
  void Update(std::string_view property) override {
    ControlBinding::Update(property);
    if (property.empty() || property == prop::Caption) SetNativeText(button_.Caption());
  }
  void Command(WORD code) override {
    if (code == BN_CLICKED) Guarded([this] { button_.Click(); });
  }
  HBRUSH ControlColors(HDC) override { return nullptr; }

 private:
  TButton& button_;
};

const wchar_t* const kPanelClass = L"LantervoPanel";
const wchar_t* const kImageClass = L"LantervoImage";
const wchar_t* const kFlatButtonClass = L"LantervoFlatButton";

class PanelBinding : public ControlBinding {
 public:
  PanelBinding(FormWindow& form, TPanel& panel) : ControlBinding(form, panel), panel_(panel) {}

 protected:
  HWND CreateNative(HWND parent, int id) override {
    // Tab reaches into a page's controls.
    const DWORD exStyle = dynamic_cast<TTabSheet*>(&panel_) ? WS_EX_CONTROLPARENT : 0;
    return MakeWindow(kPanelClass, WS_CLIPCHILDREN, exStyle, parent, id);
  }
  bool Message(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    switch (msg) {
      case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(hwnd_, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, SolidBrush(panel_.ControlColor()));
        if (panel_.BevelOuter() != bvNone)
          DrawEdge(reinterpret_cast<HDC>(wParam), &r,
                   panel_.BevelOuter() == bvRaised ? BDR_RAISEDOUTER : BDR_SUNKENOUTER, BF_RECT);
        result = 1;
        return true;
      }
      case WM_COMMAND:
      case WM_NOTIFY:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLOREDIT:
        // The form window handles its controls' notifications wherever they sit.
        result = SendMessageW(form_.Handle(), msg, wParam, lParam);
        return true;
      default:
        return false;
    }
  }

 private:
  TPanel& panel_;
};

// The tab row and the frame; the pages are panels on it, laid out and shown by the control.
class PageControlBinding : public ControlBinding {
 public:
  PageControlBinding(FormWindow& form, TPageControl& pages)
      : ControlBinding(form, pages), pages_(pages) {}

 protected:
  HWND CreateNative(HWND parent, int id) override {
    return MakeWindow(WC_TABCONTROLW, WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT,
                      parent, id);
  }
  void Update(std::string_view property) override {
    ControlBinding::Update(property);
    const bool all = property.empty();
    if (all || property == prop::Pages) {
      const int count = pages_.PageCount();
      while (TabCtrl_GetItemCount(hwnd_) > count)
        TabCtrl_DeleteItem(hwnd_, TabCtrl_GetItemCount(hwnd_) - 1);
      for (int i = 0; i < count; ++i) {
        std::wstring text = platform::Widen(pages_.Page(i)->Caption());
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        if (i < TabCtrl_GetItemCount(hwnd_))
          SendMessageW(hwnd_, TCM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
        else
          SendMessageW(hwnd_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
      }
    }
    if (all || property == prop::Pages || property == prop::ActivePageIndex)
      TabCtrl_SetCurSel(hwnd_, pages_.ActivePageIndex());
  }
  bool Notify(NMHDR& header, LRESULT& result) override {
    if (header.code != TCN_SELCHANGE) return false;
    const int index = TabCtrl_GetCurSel(hwnd_);
    Guarded([&] { pages_.TabClicked(index); });
    // The control may have kept its page: the tabs show what it decided.
    if (Alive()) TabCtrl_SetCurSel(hwnd_, pages_.ActivePageIndex());
    result = 0;
    return true;
  }

 private:
  TPageControl& pages_;
};

// Paints the background of a windowless-looking control in its parent's colour.
void FillParent(HDC dc, HWND hwnd, const TControl& control) {
  RECT r;
  GetClientRect(hwnd, &r);
  const Color background = control.Parent() ? control.Parent()->ControlColor() : colors::kBtnFace;
  FillRect(dc, &r, SolidBrush(background));
}

class ImageBinding : public ControlBinding {
 public:
  ImageBinding(FormWindow& form, TImage& image) : ControlBinding(form, image), image_(image) {}

 protected:
  HWND CreateNative(HWND parent, int id) override {
    return MakeWindow(kImageClass, 0, 0, parent, id);
  }
  void Update(std::string_view property) override {
    ControlBinding::Update(property);
    if (property == prop::Picture || property == prop::Stretch || property == prop::Transparent)
      InvalidateRect(hwnd_, nullptr, TRUE);
    if (property == prop::Repaint) {
      InvalidateRect(hwnd_, nullptr, TRUE);
      UpdateWindow(hwnd_);
    }
  }
  bool Message(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
    if (msg == WM_ERASEBKGND) {
      result = 1;
      return true;
    }
    if (msg == WM_LBUTTONUP) {
      Guarded([this] { image_.Click(); });
      return true;
    }
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    FillParent(dc, hwnd_, image_);
    const std::string name = PictureResource(*image_.Picture());
    RECT r;
    GetClientRect(hwnd_, &r);
    if (const Artwork* art = FindArtwork(name)) {
      if (!image_.Stretch()) r = {0, 0, form_.Scale(art->width), form_.Scale(art->height)};
      DrawArtwork(dc, name, r);
    }
    EndPaint(hwnd_, &ps);
    return true;
  }

 private:
  TImage& image_;
};

class FlatButtonBinding : public ControlBinding {
 public:
  FlatButtonBinding(FormWindow& form, TSpeedButton& button)
      : ControlBinding(form, button), button_(button) {}

 protected:
  HWND CreateNative(HWND parent, int id) override {
    return MakeWindow(kFlatButtonClass, 0, 0, parent, id);
  }
  void Update(std::string_view property) override {
    ControlBinding::Update(property);
    if (property == prop::Glyph || property == prop::Flat) InvalidateRect(hwnd_, nullptr, TRUE);
  }
  bool Message(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) override {
    switch (msg) {
      case WM_ERASEBKGND:
        result = 1;
        return true;
      case WM_MOUSEMOVE:
        if (!hot_) {
          hot_ = true;
          TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd_, 0};
          TrackMouseEvent(&track);
          InvalidateRect(hwnd_, nullptr, TRUE);
        }
        return true;
      case WM_MOUSELEAVE:
        hot_ = false;
        InvalidateRect(hwnd_, nullptr, TRUE);
        return true;
      case WM_LBUTTONDOWN:
        pressed_ = true;
        SetCapture(hwnd_);
        InvalidateRect(hwnd_, nullptr, TRUE);
        return true;
      case WM_LBUTTONUP: {
        const bool wasPressed = pressed_;
        pressed_ = false;
        ReleaseCapture();
        InvalidateRect(hwnd_, nullptr, TRUE);
        RECT r;
        GetClientRect(hwnd_, &r);
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (wasPressed && PtInRect(&r, at)) Guarded([this] { button_.Click(); });
        return true;
      }
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        FillParent(dc, hwnd_, button_);
        RECT r;
        GetClientRect(hwnd_, &r);
        // Flat: an edge only under the mouse.
        if (pressed_ || hot_ || !button_.Flat())
          DrawEdge(dc, &r, pressed_ ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        const std::string name = PictureResource(*button_.Glyph());
        if (const Artwork* art = FindArtwork(name)) {
          const int width = form_.Scale(art->width);
          const int height = form_.Scale(art->height);
          const int left = (r.right - width) / 2 + (pressed_ ? 1 : 0);
          const int top = (r.bottom - height) / 2 + (pressed_ ? 1 : 0);
          RECT glyph{left, top, left + width, top + height};
          DrawArtwork(dc, name, glyph);
        }
        EndPaint(hwnd_, &ps);
        return true;
      }
      default:
        return false;
    }
  }

 private:
  TSpeedButton& button_;
  bool hot_ = false;
  bool pressed_ = false;
};

class StatusBarBinding : public ControlBinding {
 public:
  StatusBarBinding(FormWindow& form, TStatusBar& bar) : ControlBinding(form, bar), bar_(bar) {}

 protected:
  HWND CreateNative(HWND parent, int id) override {
    return MakeWindow(STATUSCLASSNAMEW, CCS_NOPARENTALIGN | CCS_NORESIZE, 0, parent, id);
  }
  void Update(std::string_view property) override {
    ControlBinding::Update(property);
    if (property.empty() || property == prop::SimplePanel)
      SendMessageW(hwnd_, SB_SIMPLE, bar_.SimplePanel(), 0);
    if (property.empty() || property == prop::SimpleText)
      SendMessageW(hwnd_, SB_SETTEXTW, SB_SIMPLEID,
                   reinterpret_cast<LPARAM>(platform::Widen(bar_.SimpleText()).c_str()));
  }

 private:
  TStatusBar& bar_;
};

}  // namespace

LRESULT CALLBACK ControlBinding::CustomProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ControlBinding* self;
  if (msg == WM_NCCREATE) {
    self = static_cast<ControlBinding*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetPropW(hwnd, kBindingProp, self);
    self->hwnd_ = hwnd;
  } else {
    self = Of(hwnd);
  }
  LRESULT result = 0;
  if (self && self->Alive() && self->Message(msg, wParam, lParam, result)) return result;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void ControlBinding::RegisterClasses(HINSTANCE instance) {
  for (const wchar_t* name : {kPanelClass, kImageClass, kFlatButtonClass}) {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = CustomProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
  }
}

std::unique_ptr<ControlBinding> MakeBinding(FormWindow& form, TControl& control) {
  if (dynamic_cast<TDBGrid*>(&control)) return MakeGridBinding(form, control);
  if (auto* c = dynamic_cast<TStatusBar*>(&control))
    return std::make_unique<StatusBarBinding>(form, *c);
  if (auto* c = dynamic_cast<TPageControl*>(&control))
    return std::make_unique<PageControlBinding>(form, *c);
  if (auto* c = dynamic_cast<TPanel*>(&control)) return std::make_unique<PanelBinding>(form, *c);
  if (auto* c = dynamic_cast<TImage*>(&control)) return std::make_unique<ImageBinding>(form, *c);
  if (auto* c = dynamic_cast<TSpeedButton*>(&control))
    return std::make_unique<FlatButtonBinding>(form, *c);
  if (auto* c = dynamic_cast<TLabel*>(&control)) return std::make_unique<LabelBinding>(form, *c);
  if (auto* c = dynamic_cast<TEdit*>(&control)) return std::make_unique<EditBinding>(form, *c);
  if (auto* c = dynamic_cast<TMemo*>(&control)) return std::make_unique<MemoBinding>(form, *c);
  if (auto* c = dynamic_cast<TCheckBox*>(&control))
    return std::make_unique<CheckBoxBinding>(form, *c);
  if (auto* c = dynamic_cast<TComboBox*>(&control)) return std::make_unique<ComboBinding>(form, *c);
  if (auto* c = dynamic_cast<TButton*>(&control)) return std::make_unique<ButtonBinding>(form, *c);
  return nullptr;
}

}  // namespace lantervo::win32
