// The physical shaker's state-space model and its exact discretisation for a held input
// with a transport delay.
#include "plant.h"

#include <Eigen/Dense>
#include <cmath>
#include <unsupported/Eigen/MatrixFunctions>

namespace daqsim {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Model {
  int N = 0;
  double A[kMaxStates][kMaxStates] = {};
  double B[kMaxStates] = {};
};

Model Build(const PlantParams& p) {
  Model m;
  bool fix = p.FixKg > 0;
  m.N = fix ? 9 : 7;
  double wa = 2 * kPi * p.AmpHz;
  double warm = 2 * kPi * p.ArmHz;
  // The armature mode: the coil side against everything it carries on a rigid base.
  double inv = 1 / p.CoilKg + 1 / (p.TableKg + (fix ? p.FixKg : 0));
  double ka = warm * warm / inv, ca = 2 * p.ArmZeta * warm / inv;
  double wf = 2 * kPi * p.FixHz;
  double kf = fix ? p.FixKg * wf * wf : 0, cf = fix ? 2 * p.FixZeta * wf * p.FixKg : 0;
  auto& A = m.A;
  // Amplifier with its second state scaled by wa, so both read in volts.
  A[0][1] = wa;
  A[1][0] = -wa;
  A[1][1] = -std::sqrt(2.0) * wa;
  m.B[1] = wa;
  A[2][0] = p.AmpGain / p.CoilL;
  A[2][2] = -p.CoilR / p.CoilL;
  A[2][4] = -p.Bl / p.CoilL;
  A[3][4] = 1;
  double mc = p.CoilKg, mt = p.TableKg;
  A[4][2] = p.Bl / mc;
  A[4][3] = -(p.SuspK + ka) / mc;
  A[4][4] = -(p.SuspC + ca) / mc;
  A[4][5] = ka / mc;
  A[4][6] = ca / mc;
  A[5][6] = 1;
  A[6][3] = ka / mt;
  A[6][4] = ca / mt;
  A[6][5] = -(ka + kf) / mt;
  A[6][6] = -(ca + cf) / mt;
  if (fix) {
    A[6][7] = kf / mt;
    A[6][8] = cf / mt;
    A[7][8] = 1;
    A[8][5] = kf / p.FixKg;
    A[8][6] = cf / p.FixKg;
    A[8][7] = -kf / p.FixKg;
    A[8][8] = -cf / p.FixKg;
  }
  return m;
}

// exp([[A, B], [0, 0]] h): the state's transition over h and the held input's effect.
void Step(const Model& m, double h, Eigen::MatrixXd& e, Eigen::VectorXd& g) {
  int n = m.N;
  Eigen::MatrixXd aug = Eigen::MatrixXd::Zero(n + 1, n + 1);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) aug(i, j) = m.A[i][j] * h;
    aug(i, n) = m.B[i] * h;
  }
  Eigen::MatrixXd x = aug.exp();
  e = x.topLeftCorner(n, n);
  g = x.col(n).head(n);
}

}  // namespace

Discrete Discretise(const PlantParams& p, double rate) {
  Model m = Build(p);
  double t = 1 / rate;
  double delay = p.DelayS * rate;
  Discrete out;
  out.States = m.N;
  out.DelaySamples = static_cast<long>(std::floor(delay));
  double frac = delay - static_cast<double>(out.DelaySamples);
  // Over one scan the delayed input is the older value for frac x T, then the newer one.
  Eigen::MatrixXd eOld, eNew;
  Eigen::VectorXd gOld, gNew;
  Step(m, (1 - frac) * t, eNew, gNew);
  Eigen::MatrixXd phi = eNew;
  Eigen::VectorXd g1 = Eigen::VectorXd::Zero(m.N);
  if (frac > 0) {
    Step(m, frac * t, eOld, gOld);
    phi = eNew * eOld;
    g1 = eNew * gOld;
  }
  for (int i = 0; i < m.N; ++i) {
    for (int j = 0; j < m.N; ++j) out.Phi[i][j] = phi(i, j);
    out.G0[i] = gNew(i);
    out.G1[i] = g1(i);
    out.AccelTable[i] = m.A[6][i];
    out.AccelFix[i] = m.N > 7 ? m.A[8][i] : 0;
  }
  out.AmpGain = p.AmpGain;
  return out;
}

void Extend(const Discrete& d, PlantRun& run, long last) {
  auto q = [&](long j) {
    if (j < 0 || run.Q.empty()) return 0.0;
    return j < static_cast<long>(run.Q.size()) ? run.Q[j] : run.Q.back();
  };
  int n = d.States;
  while (static_cast<long>(run.Out.size()) <= last) {
    const double* x = run.X;
    PlantSample s{};
    for (int i = 0; i < n; ++i) {
      s.AccelTableG += d.AccelTable[i] * x[i];
      s.AccelFixG += d.AccelFix[i] * x[i];
    }
    s.AccelTableG /= kStandardG;
    s.AccelFixG /= kStandardG;
    s.TableM = x[5];
    s.TableMs = x[6];
    s.CoilA = x[2];
    s.AmpV = d.AmpGain * x[0];
    long k = static_cast<long>(run.Out.size());
    run.Out.push_back(s);
    double q0 = q(k - d.DelaySamples), q1 = q(k - d.DelaySamples - 1);
    double next[kMaxStates];
    for (int i = 0; i < n; ++i) {
      double v = d.G0[i] * q0 + d.G1[i] * q1;
      for (int j = 0; j < n; ++j) v += d.Phi[i][j] * x[j];
      next[i] = v;
    }
    for (int i = 0; i < n; ++i) run.X[i] = next[i];
  }
}

}  // namespace daqsim
