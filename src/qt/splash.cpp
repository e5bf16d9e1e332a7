#include "qt/splash.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/startup.h"

namespace qtui {

QWidget* MakeSplash(int dealerIndex) {
  auto* w = new QWidget(nullptr, Qt::Dialog);
  w->setObjectName("frmSplash");
  w->setWindowTitle(app::kSplashTitle);
  w->setAttribute(Qt::WA_DeleteOnClose);
  auto* lay = new QVBoxLayout(w);
  auto* dealer = new QLabel(QString::fromStdString(app::SplashDealerText(dealerIndex)), w);
  QFont f = dealer->font();
  f.setPointSize(22);
  f.setBold(true);
  dealer->setFont(f);
  auto* model = new QLabel("KRX-8", w);
  QFont mf = model->font();
  mf.setPointSize(36);
  mf.setBold(true);
  model->setFont(mf);
  auto* line = new QLabel("Classical Shock Controller", w);
  QFont lf = line->font();
  lf.setPointSize(14);
  line->setFont(lf);
  for (QLabel* l : {dealer, model, line}) {
    l->setAlignment(Qt::AlignCenter);
    lay->addWidget(l);
  }
  w->resize(520, 300);
  return w;
}

}  // namespace qtui
