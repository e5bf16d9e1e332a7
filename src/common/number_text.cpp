#include "common/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace common {
namespace {

// Formats |v| with `digits` significant digits in the classic plain-number style, always
// in plain decimals (never an exponent form), as the text files want them.
std::string PlainText(double v, int digits) {
  if (v == 0.0 || !std::isfinite(v)) {
    if (std::isnan(v)) return " NaN";
    if (std::isinf(v)) return v > 0 ? " Inf" : "-Inf";
    return " 0";
  }
  bool neg = v < 0;
  double a = std::fabs(v);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, a);
  // buf: d.ddddde[+-]xx
  std::string s(buf);
  size_t e = s.find('e');
  int exp10 = std::atoi(s.c_str() + e + 1);
  std::string mant;
  for (size_t i = 0; i < e; ++i)
    if (s[i] != '.') mant += s[i];
  while (mant.size() > 1 && mant.back() == '0') mant.pop_back();
  std::string out;
  if (exp10 >= 0) {
    int intDigits = exp10 + 1;
    if (static_cast<int>(mant.size()) <= intDigits) {
      out = mant + std::string(intDigits - mant.size(), '0');
    } else {
      out.assign(mant, 0, intDigits);
      out += '.';
      out.append(mant, intDigits, std::string::npos);
    }
  } else {
    out = ".";
    out.append(static_cast<size_t>(-exp10 - 1), '0');
    out += mant;
  }
  std::string r(1, neg ? '-' : ' ');
  r += out;
  return r;
}

}  // namespace

std::string NumberText(float v) {
  return PlainText(static_cast<double>(v), 7);
}
std::string NumberTextDouble(double v) {
  return PlainText(v, 15);
}

std::string PromptDefaultText(float v) {
  std::string s = NumberText(v);
  std::string out;
  size_t i = (!s.empty() && s[0] == ' ') ? 1 : 0;
  if (i < s.size() && s[i] == '-') out += s[i++];
  if (i < s.size() && s[i] == '.') out += '0';
  out.append(s, i, std::string::npos);
  return out;
}

std::string FormatMask(double v, const std::string& mask) {
  if (!std::isfinite(v)) v = 0;
  size_t point = mask.find('.');
  int decimals = 0;
  if (point != std::string::npos)
    for (size_t i = point + 1; i < mask.size(); ++i)
      if (mask[i] == '#' || mask[i] == '0') ++decimals;
  bool neg = v < 0;
  double a = std::fabs(v);
  // Decimal rounding of the shown digits: halves away from zero, as picture formats do.
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", decimals,
                std::round(a * std::pow(10.0, decimals)) / std::pow(10.0, decimals));
  std::string digits(buf);
  std::string intPart = digits, fracPart;
  size_t dp = digits.find('.');
  if (dp != std::string::npos) {
    intPart = digits.substr(0, dp);
    fracPart = digits.substr(dp + 1);
  }
  if (intPart == "0") intPart.clear();
  if (neg && intPart.empty() && fracPart.find_first_not_of('0') == std::string::npos) neg = false;

  std::string intMask = point == std::string::npos ? mask : mask.substr(0, point);
  std::string fracMask = point == std::string::npos ? "" : mask.substr(point + 1);

  // Integer part: digits fill the positions from the right; digits beyond the mask
  // go at its first position; a '0' position and those right of it always show.
  int positions = 0, reqDigits = 0;
  for (char m : intMask)
    if (m == '#' || m == '0') ++positions;
  {
    int k = 0;
    for (char m : intMask) {
      if (m == '0') {
        reqDigits = positions - k;
        break;
      }
      if (m == '#') ++k;
    }
  }
  while (static_cast<int>(intPart.size()) < reqDigits) intPart = "0" + intPart;
  int len = static_cast<int>(intPart.size());
  std::string out = neg ? "-" : "";
  int k = 0;
  for (char m : intMask) {
    if (m == '#' || m == '0') {
      int idx = k - (positions - len);
      if (k == 0 && len > positions)
        out += intPart.substr(0, len - positions + 1);
      else if (idx >= 0)
        out += intPart[idx];
      ++k;
    } else {
      out += m;
    }
  }
  if (positions == 0 && len > 0) out += intPart;
  if (point != std::string::npos) {
    out += '.';
    size_t fi = 0;
    for (char m : fracMask) {
      if (m == '#' || m == '0') {
        char d = fi < fracPart.size() ? fracPart[fi] : '0';
        ++fi;
        out += d;
      } else {
        out += m;
      }
    }
    // Trailing optional zeros of the fraction are dropped.
    size_t end = out.size();
    size_t f = fracMask.size();
    while (f > 0 && fracMask[f - 1] == '#' && end > 0 && out[end - 1] == '0') {
      --end;
      --f;
    }
    out.resize(end);
  }
  return out;
}

bool ParseNumber(const std::string& text, double& out) {
  size_t b = text.find_first_not_of(" \t");
  if (b == std::string::npos) return false;
  size_t e = text.find_last_not_of(" \t\r\n");
  std::string t = text.substr(b, e - b + 1);
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  bool digits = false;
  while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, digits = true;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, digits = true;
  }
  if (!digits) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    size_t j = i + 1;
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
    bool ed = false;
    while (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j]))) ++j, ed = true;
    if (!ed) return false;
    i = j;
  }
  if (i != t.size()) return false;
  std::string c = t[0] == '+' ? t.substr(1) : t;
  // from_chars: "." is the point whatever the locale; ".5" needs a leading zero for it.
  if (c[0] == '.')
    c = std::string("0") + c;
  else if (c[0] == '-' && c.size() > 1 && c[1] == '.')
    c = std::string("-0") + c.substr(1);
  double v = 0;
  auto res = std::from_chars(c.data(), c.data() + c.size(), v);
  if (res.ec != std::errc() || res.ptr != c.data() + c.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

std::string ShortestFloatText(float v) {
  if (!std::isfinite(v)) return "0";
  char buf[128];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  std::string s(buf, res.ptr);
  if (s.rfind("0.", 0) == 0)
    s.erase(0, 1);
  else if (s.rfind("-0.", 0) == 0)
    s.erase(1, 1);
  return s;
}

}  // namespace common
