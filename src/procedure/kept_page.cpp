#include "procedure/kept_page.h"

namespace procedure {

void KeptPage::PlayInto(ui::Printer& target) const {
  for (const Op& op : ops_) {
    switch (op.What) {
      case Op::Scale:
        target.Scale(op.A, op.B, op.C, op.D);
        break;
      case Op::Font:
        target.SetFontSize(op.A);
        break;
      case Op::Pen:
        target.SetLineWidth(op.A);
        break;
      case Op::Line:
        target.Line(op.A, op.B, op.C, op.D, op.Color);
        break;
      case Op::Text:
        target.Text(op.A, op.B, op.Str, op.Color);
        break;
    }
  }
}

}  // namespace procedure
