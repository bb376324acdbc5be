// What the About box shows for a request.
#include "ui/about.h"

TAboutView BuildAboutView(const TAboutRequest& request) {
  TAboutView view;
  view.ShowLogo = request.ShowLogo;
  view.Gradient = !request.ShowLogo;
  view.Border = request.ShowLogo;
  view.Product = request.Product;
  view.Version = u"Версия: " + request.Version;
  view.Copyright = request.Copyright;
  view.EMail = u"E-mail: " + request.EMail;
  // The "c" of "cлужбу" is the Latin letter, as the program has always shown it.
  view.EMailHint = u"Создание письма в cлужбу поддержки \"" + request.ServiceName + u"\".";
  view.ShowMemo = !request.ExtraText.empty();
  view.Memo = request.ExtraText;
  view.MailtoLink = u"Mailto:" + request.EMail;
  return view;
}
