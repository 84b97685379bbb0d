#include "acquisition/gnss_system.h"

int SystemOfPrn(int nPRN) {
  if (nPRN >= 1 && nPRN <= 32) return kSystemGPS;
  if ((nPRN >= 33 && nPRN <= 64) || (nPRN >= 120 && nPRN <= 158)) return kSystemSBAS;
  if (nPRN >= 65 && nPRN <= 96) return kSystemGLONASS;
  // 201 and 202 are BeiDou's first two satellites; no QZSS satellite uses them.
  if (nPRN >= 193 && nPRN <= 200) return kSystemQZSS;
  if ((nPRN >= 201 && nPRN <= 264) || (nPRN >= 401 && nPRN <= 437)) return kSystemBeiDou;
  if (nPRN >= 301 && nPRN <= 336) return kSystemGalileo;
  return kSystemUnknown;
}

int SystemOfTalker(wchar_t first, wchar_t second) {
  struct Talker {
    wchar_t first, second;
    int system;
  };
  static constexpr Talker kTalkers[] = {
      {L'G', L'L', kSystemGLONASS}, {L'G', L'A', kSystemGalileo}, {L'G', L'B', kSystemBeiDou},
      {L'B', L'D', kSystemBeiDou},  {L'G', L'Q', kSystemQZSS},    {L'Q', L'Z', kSystemQZSS},
      {L'G', L'I', kSystemNavIC},
  };
  for (const Talker& talker : kTalkers) {
    if (talker.first == first && talker.second == second) return talker.system;
  }
  return kSystemUnknown;
}

int SystemOfSatellite(wchar_t first, wchar_t second, int nPRN) {
  const int system = SystemOfTalker(first, second);
  return system != kSystemUnknown ? system : SystemOfPrn(nPRN);
}

int SystemOfGsaId(int nId) {
  switch (nId) {
    case 1:
      return kSystemGPS;
    case 2:
      return kSystemGLONASS;
    case 3:
      return kSystemGalileo;
    case 4:
      return kSystemBeiDou;
    case 5:
      return kSystemQZSS;
    case 6:
      return kSystemNavIC;
    default:
      return kSystemUnknown;
  }
}

int SystemNumber(int nSystem, int nPRN) {
  switch (nSystem) {
    case kSystemGalileo:
      return nPRN > 300 ? nPRN - 300 : nPRN;
    case kSystemBeiDou:
      return nPRN > 400 ? nPRN - 400 : (nPRN > 200 ? nPRN - 200 : nPRN);
    case kSystemQZSS:
      return nPRN > 192 ? nPRN - 192 : nPRN;
    case kSystemSBAS:
      return nPRN <= 64 ? nPRN + 87 : nPRN;
    default:
      return nPRN;
  }
}

std::string_view SystemName(int nSystem) {
  static constexpr std::string_view kNames[] = {"unknown", "GPS",  "GLONASS", "Galileo",
                                                "BeiDou",  "QZSS", "SBAS",    "NavIC"};
  return nSystem >= 0 && nSystem <= kSystemNavIC ? kNames[nSystem] : kNames[0];
}

wchar_t SystemLetter(int nSystem) {
  static constexpr wchar_t kLetters[] = L"?GRECJSI";
  return nSystem >= 0 && nSystem <= kSystemNavIC ? kLetters[nSystem] : L'?';
}
