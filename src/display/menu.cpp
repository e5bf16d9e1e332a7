#include "display/menu.h"

#include "display/axes.h"
#include "display/draw.h"
#include "display/plot.h"
#include "display/srs_view.h"

namespace display {

using ui::MenuId;
namespace row = profile::row;

namespace {

// Test profile, drive, both spectra and the first eight response views exclude each other.
// The maximax view keeps the response items: they choose the channels of its spectra.
void ClearOtherViews(ui::Window& w, MenuId keep) {
  for (MenuId id : {MenuId::mnuViewTest, MenuId::mnuViewDrive, MenuId::mnuViewSRS,
                    MenuId::mnuViewMaximax, MenuId::mnuViewSysResponse})
    if (id != keep) w.Check(id, false);
  if (keep != MenuId::mnuViewResponse && keep != MenuId::mnuViewMaximax)
    for (int i = 0; i < 8; ++i) w.Check(MenuId::mnuViewResponse, false, i);
}

bool Toggle(ui::Window& w, MenuId id, int index = 0) {
  bool on = !w.Checked(id, index);
  w.Check(id, on, index);
  return on;
}

void ToggleTrace(Program& p, MenuId id, int profileRow) {
  p.Row(profileRow) = Toggle(p.win, id) ? 2.0f : 1.0f;
}

void ViewChannels(Program& p, MenuId chosen, float value) {
  p.win.CheckOnly(chosen, MenuId::mnuViewChannelsAll, MenuId::mnuViewChannelsLower,
                  MenuId::mnuViewChannelsUpper);
  p.Row(row::ViewChannels) = value;
}

void Background(Program& p, bool white) {
  p.win.PlotBackColor = white ? color::White : color::Black;
  p.Row(row::PlotBackground) = white ? 1.0f : 0.0f;
  RefreshPlot(p);
  p.win.Check(MenuId::mnuViewPlotColorBlack, !white);
  p.win.Check(MenuId::mnuViewPlotColorWhite, white);
}

}  // namespace

bool OnMenu(Program& p, ui::MenuId id, int index) {
  auto& w = p.win;
  switch (id) {
    case MenuId::mnuViewTest:
    case MenuId::mnuViewDrive:
    case MenuId::mnuViewSRS:
    case MenuId::mnuViewMaximax:
    case MenuId::mnuViewSysResponse:
      if (Toggle(w, id)) ClearOtherViews(w, id);
      break;
    case MenuId::mnuViewSRSQ:
      AskSrsQualityFactor(p);
      return true;
    case MenuId::mnuViewResponse:
      if (index < 0 || index > 15) return false;
      if (Toggle(w, id, index)) ClearOtherViews(w, MenuId::mnuViewResponse);
      break;
    case MenuId::mnuViewAcc:
      ToggleTrace(p, id, row::ShowAcceleration);
      break;
    case MenuId::mnuViewVel:
      ToggleTrace(p, id, row::ShowVelocity);
      break;
    case MenuId::mnuViewDisp:
      ToggleTrace(p, id, row::ShowDisplacement);
      break;
    case MenuId::mnuViewAbort:
    case MenuId::mnuViewTolBand:
      Toggle(w, id);
      break;
    case MenuId::mnuViewChannelsAll:
      ViewChannels(p, id, 0);
      break;
    case MenuId::mnuViewChannelsLower:
      ViewChannels(p, id, 1);
      break;
    case MenuId::mnuViewChannelsUpper:
      ViewChannels(p, id, 2);
      break;
    case MenuId::mnuViewRefresh:
      break;
    case MenuId::mnuViewPlotColorBlack:
      Background(p, false);
      return true;
    case MenuId::mnuViewPlotColorWhite:
      Background(p, true);
      return true;
    case MenuId::mnuViewXaxisIn:
      XZoomIn(p);
      return true;
    case MenuId::mnuViewXaxisOut:
      XZoomOut(p);
      return true;
    case MenuId::mnuViewYaxisIn:
      YZoomIn(p);
      return true;
    case MenuId::mnuViewYaxisOut:
      YZoomOut(p);
      return true;
    case MenuId::mnuFileColorsColors:
    case MenuId::mnuFileColorsMono:
      Toggle(w, MenuId::mnuFileColorsColors);
      Toggle(w, MenuId::mnuFileColorsMono);
      p.plot.PrintColorMode = w.Checked(MenuId::mnuFileColorsColors) ? 2 : 1;
      return true;
    default:
      return false;
  }
  RefreshPlot(p);
  return true;
}

}  // namespace display
