#include "print/menu.h"
#include "print/report_page.h"

namespace print {

bool OnMenu(Program& p, ui::MenuId id, int) {
  switch (id) {
    case ui::MenuId::mnuFilePrinterSetup:
      p.platform.GetPrinter().SetupDialog("KRX-8 Printer Setup");
      return true;
    case ui::MenuId::mnuFilePrint:
      PrintReport(p);
      return true;
    default:
      return false;
  }
}

}  // namespace print
