// The About box's decisions: which layout, the labels' texts, the memo and the "Mailto:" link. The
// window in about_win only shows them.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::u16string_view kAboutCaption = u"О программе...";
inline constexpr std::u16string_view kAboutMemoHint = u"Дополнительная информация";
inline constexpr std::u16string_view kAboutOkHint = u"Закрытие окна.";
// The labels' left edge, in pixels, once the logo is gone.
inline constexpr int kAboutLeftMargin = 8;

struct TAboutRequest {
  std::u16string Product;
  std::u16string Version;
  std::u16string EMail;
  bool ShowLogo = true;
  std::u16string ExtraText;
  // Configured texts of the program's resources.
  std::u16string Copyright;
  std::u16string ServiceName;
};

struct TAboutView {
  bool ShowLogo = true;
  // Without the logo: the gradient band, no border, labels at the left margin, LabelProduct in place
  // of LabelProduct1.
  bool Gradient = false;
  bool Border = true;
  std::u16string Product;  // the bold product label's text (LabelProduct1 with the logo, else LabelProduct)
  std::u16string Version;
  std::u16string Copyright;
  std::u16string EMail;
  std::u16string EMailHint;
  bool ShowMemo = false;
  std::u16string Memo;
  std::u16string MailtoLink;
};

TAboutView BuildAboutView(const TAboutRequest& request);
