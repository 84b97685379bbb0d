#include "acquisition/gps_record.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string_view>

#include "acquisition/gnss_system.h"
#include "nmea/sentence.h"
#include "platform/core/crt_rand.h"
#include "platform/core/numbers.h"
#include "resources/string_table.h"

namespace {

enum class Head { GGA, GSA, GSV, RMC };

// The NMEA 4.10 signal ID that follows the last satellite block of a GSV
// (one field more than whole blocks), or 0 when there is none.
int GsvSignal(const CFieldArray& fields) {
  const std::size_t count = fields.GetSize();
  if (count < 5 || (count - 4) % 4 != 1) {
    return 0;
  }
  const std::wstring& field = fields[count - 1];
  if (field.empty()) {
    return 0;
  }
  const wchar_t c = field[0];
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return 0;
}

// A number field; one too large for a double ("1e999") is as invalid as
// no number at all and reads as an empty field, never as infinity.
double FieldNumber(const std::wstring& field) {
  const double value = WcsToDouble(field);
  return std::isfinite(value) ? value : 0.0;
}

}  // namespace

struct CGPSRecord::SentenceType {
  std::wstring_view head;
  Head type;
  int (CGPSRecord::*decode)(const std::wstring&, CFieldArray&);
};

// The heads are compared in this order, comma included: "$GPGGA" alone or
// "$gpgga," match nothing. The order is that of kNmeaDecodedTypes.
const CGPSRecord::SentenceType CGPSRecord::kSentenceTypes[] = {
    {L"$GPGGA,", Head::GGA, &CGPSRecord::DecodeGGA},
    {L"$GPGSA,", Head::GSA, &CGPSRecord::DecodeGSA},
    {L"$GPGSV,", Head::GSV, &CGPSRecord::DecodeGSV},
    {L"$GPRMC,", Head::RMC, &CGPSRecord::DecodeRMC},
};

double Degrees(double x) {
  const int d = TruncateToInt(x * 0.01);
  const double minutes = x - d * 100.0;
  return minutes * (1.0 / 60.0) + d;
}

BOOL CGPSRecord::CheckSentence(const std::wstring& strLine) const {
  if (strLine.size() < 9) {
    return FALSE;
  }
  if (m_bGpsOnly ? strLine.compare(0, 3, L"$GP") != 0 : !NmeaHasTalker(strLine)) {
    return FALSE;
  }
  return NmeaChecksumHolds(strLine) ? TRUE : FALSE;
}

const CGPSRecord::SentenceType* CGPSRecord::MatchHead(std::wstring_view line) const {
  if (!m_bGpsOnly) {
    const int type = NmeaDecodedTypeOfHead(line);
    return type >= 0 ? &kSentenceTypes[type] : nullptr;
  }
  for (const SentenceType& type : kSentenceTypes) {
    if (line.substr(0, type.head.size()) == type.head) {
      return &type;
    }
  }
  return nullptr;
}

int CGPSRecord::DecodeLine(const std::wstring& strLine, CFieldArray& fields) {
  std::wstring_view text(strLine);
  if (!m_bGpsOnly) {
    // A doubled "$" and an extra CR before the CR LF are not part of the
    // sentence.
    while (text.size() > 1 && text[0] == L'$' && text[1] == L'$') {
      text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == L'\r') {
      text.remove_suffix(1);
    }
  }
  const SentenceType* type = MatchHead(text);
  // GN receivers send one GSA per system in a row: any other line ends the
  // set, so the next GSA starts a new one.
  if (type == nullptr || type->type != Head::GSA) {
    m_bInGsaSet = false;
  }
  if (type == nullptr) {
    return kLineNotDecoded;
  }
  // In demo mode the receiver's sentence only picks the type; the canned
  // one is checked and decoded instead. The merged sky keeps only whole
  // sequences, so there a satellite line brings the whole canned sequence:
  // single messages drawn at random would show a third of it at times.
  if (m_bDemo && !m_bGpsOnly && type->type == Head::GSV) {
    int result = kLineDroppedCheck;
    for (const std::wstring* message : {&m_strDemoGSV1, &m_strDemoGSV2, &m_strDemoGSV3}) {
      if (!CheckSentence(*message)) return kLineDroppedCheck;
      result = DecodeGSV(*message, fields);
    }
    return result;
  }
  if (text.size() != strLine.size()) {
    m_strSentence.assign(text);
  }
  const std::wstring& sentence =
      m_bDemo ? DemoSentence(*type) : (text.size() != strLine.size() ? m_strSentence : strLine);
  if (!CheckSentence(sentence)) {
    return kLineDroppedCheck;
  }
  return (this->*type->decode)(sentence, fields);
}

void CGPSRecord::SetGpsOnly(BOOL bGpsOnly) {
  std::lock_guard lock(m_mutex);
  m_bGpsOnly = bGpsOnly ? TRUE : FALSE;
}

const std::wstring& CGPSRecord::DemoSentence(const SentenceType& type) {
  switch (type.type) {
    case Head::GGA:
      return m_strDemoGGA;
    case Head::GSA:
      return m_strDemoGSA;
    case Head::GSV: {
      // One of the three canned messages, chosen anew for every line; 32767
      // from the generator gives 3, which also picks the third.
      const int k = (CeRand() * 3) / 32767;
      return k == 0 ? m_strDemoGSV1 : (k == 1 ? m_strDemoGSV2 : m_strDemoGSV3);
    }
    case Head::RMC:
      break;
  }
  return m_strDemoRMC;
}

// $GPGGA,013345,2411.1630,N,12036.6100,E,1,07,2.0,0.0,M,,,,0000*17
int CGPSRecord::DecodeGGA(const std::wstring& strSentence, CFieldArray& fields) {
  SplitFields(strSentence, L',', fields);
  if (fields.GetSize() < 10) {
    return kLineDroppedFields;
  }
  std::lock_guard lock(m_mutex);
  m_dAltitude = FieldNumber(fields[9]);
  return kGroupAltitude;
}

// $GPGSA,A,3,01,03,05,07,09,11,13,15,17,19,21,23,7.5,6.9,5.4*3D
// $GNGSA,A,3,80,71,73,79,69,,,,,,,,1.83,1.09,1.47,2*09 (NMEA 4.10: system ID)
int CGPSRecord::DecodeGSA(const std::wstring& strSentence, CFieldArray& fields) {
  // The checksum is cut off first, so that the last field is a plain VDOP
  // (or, in NMEA 4.10, the system ID after it).
  std::wstring_view body(strSentence);
  body = body.substr(0, body.rfind(L'*'));
  SplitFields(body, L',', fields);
  const int count = static_cast<int>(fields.GetSize());
  if (count < 7) {
    return kLineDroppedFields;
  }
  const int fixMode = WcsToLong(fields[2]);
  // NMEA 4.10 appends the system ID after VDOP; PDOP is then the fourth
  // field from the end, not the third.
  const double pdop = FieldNumber(fields[count == kGsaFieldsWithSystem ? 15 : count - 3]);
  std::lock_guard lock(m_mutex);
  if (m_bGpsOnly) {
    m_nFixMode = fixMode;
    for (int& prn : m_nUsedPRN) {
      prn = 0;
    }
    for (int i = 0; i < kUsedPRNCount && i + 3 < count - 3; ++i) {
      m_nUsedPRN[i] = WcsToLong(fields[i + 3]);
    }
    m_dPDOP = pdop;
    return kGroupFix;
  }

  // Every GSA of a set adds its PRNs; the best fix mode of the set, with
  // its PDOP, is the fix.
  const bool firstOfSet = !m_bInGsaSet;
  if (firstOfSet) {
    m_bInGsaSet = true;
    m_nUsedCount = 0;
    m_nFixMode = fixMode;
    m_dPDOP = pdop;
  } else if (fixMode > m_nFixMode) {
    m_nFixMode = fixMode;
    m_dPDOP = pdop;
  } else if (m_dPDOP == 0.0) {
    m_dPDOP = pdop;
  }
  const int talkerSystem = SystemOfTalker(strSentence[1], strSentence[2]);
  const int idSystem = count == kGsaFieldsWithSystem ? SystemOfGsaId(WcsToLong(fields[18])) : kSystemUnknown;
  for (int i = 0; i < kUsedPRNCount && i + 3 < count - 3; ++i) {
    const int prn = WcsToLong(fields[i + 3]);
    // The first GSA of a set keeps its PRNs at their places, empty fields
    // included, as the handheld's table did; later ones add their PRNs.
    if (prn == 0) {
      if (firstOfSet) {
        m_Used[m_nUsedCount] = UsedSatellite{};
        m_nUsedPRNs[m_nUsedCount] = 0;
        ++m_nUsedCount;
      }
      continue;
    }
    // The system ID names the system, except that GPS's ID also covers the
    // SBAS and QZSS satellites of the GPS ranges; without it the talker
    // does, and for GP and GN the PRN range.
    int system = idSystem != kSystemUnknown && idSystem != kSystemGPS ? idSystem : talkerSystem;
    if (system == kSystemUnknown) {
      system = SystemOfPrn(prn);
      if (system == kSystemUnknown && idSystem == kSystemGPS) {
        system = kSystemGPS;
      }
    }
    const UsedSatellite used{system, SystemNumber(system, prn)};
    if (IsUsed(used.nSystem, used.nNumber) || m_nUsedCount == kUsedSetCapacity) {
      continue;
    }
    m_Used[m_nUsedCount] = used;
    m_nUsedPRNs[m_nUsedCount] = prn;
    ++m_nUsedCount;
  }
  while (firstOfSet && m_nUsedCount > 0 && m_nUsedPRNs[m_nUsedCount - 1] == 0) {
    --m_nUsedCount;
  }
  for (int i = 0; i < kUsedPRNCount; ++i) {
    m_nUsedPRN[i] = i < m_nUsedCount ? m_nUsedPRNs[i] : 0;
  }
  return kGroupFix;
}

bool CGPSRecord::IsUsed(int nSystem, int nNumber) const {
  for (int i = 0; i < m_nUsedCount; ++i) {
    if (m_Used[i].nSystem == nSystem && m_Used[i].nNumber == nNumber) {
      return true;
    }
  }
  return false;
}

// $GPGSV,3,1,12,01,06,157,10,03,62,104,21,05,20,208,26,07,56,057,25*74
// $GLGSV,1,1,02,70,40,129,45,71,37,067,42,1*77 (NMEA 4.10: signal ID)
int CGPSRecord::DecodeGSV(const std::wstring& strSentence, CFieldArray& fields) {
  SplitFields(strSentence, L',', fields);
  const int count = static_cast<int>(fields.GetSize());
  if (count < 3) {
    return kLineDroppedFields;
  }
  const int messages = WcsToLong(fields[1]);
  const int message = WcsToLong(fields[2]);
  if (!m_bGpsOnly) {
    std::lock_guard lock(m_mutex);
    MergeGsv(strSentence[1], strSentence[2], messages, message, fields);
    return kGroupSatellites;
  }
  if (message >= 1 && message <= 3) {
    std::lock_guard lock(m_mutex);
    SatelliteInfo* block = &m_Satellites[(message - 1) * 4];
    for (int k = 0; k < 4; ++k) {
      block[k] = SatelliteInfo{};
    }
    // A block is read only when its SNR field exists; the SNR of the last
    // block still carries the checksum, which the number parse stops before.
    int filled = 0;
    for (int k = 0; k < 4 && 7 + 4 * k < count; ++k) {
      ReadSatellite(fields, k, L'G', L'P', block[k]);
      block[k].bUsed = FALSE;
      for (int prn : m_nUsedPRN) {
        if (prn == block[k].nPRN) {
          block[k].bUsed = TRUE;
        }
      }
      filled = k + 1;
    }
    // The last message of a sequence also clears the entries after it, so
    // that satellites that have set do not stay in the table.
    if (message == messages) {
      for (int i = (message - 1) * 4 + filled; i < kSatelliteCount; ++i) {
        m_Satellites[i] = SatelliteInfo{};
      }
    }
  }
  return kGroupSatellites;
}

void CGPSRecord::ReadSatellite(const CFieldArray& fields, int k, wchar_t talker1, wchar_t talker2,
                               SatelliteInfo& satellite) {
  satellite.nPRN = WcsToLong(fields[4 + 4 * k]);
  satellite.dElevation = FieldNumber(fields[5 + 4 * k]);
  satellite.dAzimuth = FieldNumber(fields[6 + 4 * k]);
  satellite.dSNR = FieldNumber(fields[7 + 4 * k]);
  satellite.nSystem = satellite.nPRN != 0 ? SystemOfSatellite(talker1, talker2, satellite.nPRN) : kSystemUnknown;
}

// Each talker and signal sends its own sequence; the satellites of a
// sequence are gathered message by message and replace that talker's and
// signal's satellites when its last message arrives.
void CGPSRecord::MergeGsv(wchar_t talker1, wchar_t talker2, int nMessages, int nMessage, const CFieldArray& fields) {
  if (nMessage < 1) {
    return;
  }
  const int talker = (static_cast<int>(talker1) << 16) | static_cast<int>(talker2);
  const int signal = GsvSignal(fields);
  auto source = std::find_if(m_skySources.begin(), m_skySources.end(), [&](const SkySource& candidate) {
    return candidate.nTalker == talker && candidate.nSignal == signal;
  });
  if (source == m_skySources.end()) {
    if (m_skySources.size() == kSkySources) {
      return;
    }
    source = m_skySources.insert(m_skySources.end(), SkySource{talker, signal, {}, {}, {}});
  }
  // A message replaces what the same message number brought before; the
  // slots keep message order, so that messages in any order (demo mode
  // picks them at random) still make the whole sequence.
  if (nMessage <= kGsvMessages) {
    SatelliteInfo* slot = source->pending[nMessage - 1];
    int& filled = source->pendingCount[nMessage - 1];
    filled = 0;
    const int count = static_cast<int>(fields.GetSize());
    for (int k = 0; k < 4 && 7 + 4 * k < count; ++k) {
      ReadSatellite(fields, k, talker1, talker2, slot[filled]);
      if (slot[filled].nPRN != 0) {
        ++filled;
      }
    }
  }
  if (nMessage >= nMessages) {
    // The sequence's messages make the satellites; every slot starts empty
    // for the next sequence.
    source->satellites.clear();
    for (int message = 0; message < std::min(nMessages, kGsvMessages); ++message) {
      const SatelliteInfo* slot = source->pending[message];
      source->satellites.insert(source->satellites.end(), slot, slot + source->pendingCount[message]);
    }
    std::fill(std::begin(source->pendingCount), std::end(source->pendingCount), 0);
    RebuildSky();
  }
}

// One entry per satellite: a satellite heard on several signals keeps the
// place of its first report and its strongest SNR.
void CGPSRecord::RebuildSky() {
  m_nSkyCount = 0;
  for (const SkySource& source : m_skySources) {
    for (const SatelliteInfo& satellite : source.satellites) {
      const int number = SystemNumber(satellite.nSystem, satellite.nPRN);
      SatelliteInfo* found = nullptr;
      for (int i = 0; i < m_nSkyCount; ++i) {
        SatelliteInfo& entry = m_Sky[i];
        if (entry.nSystem == satellite.nSystem && SystemNumber(entry.nSystem, entry.nPRN) == number) {
          found = &entry;
          break;
        }
      }
      if (found == nullptr) {
        if (m_nSkyCount == kSkyCapacity) {
          continue;
        }
        found = &m_Sky[m_nSkyCount++];
        *found = satellite;
      } else if (satellite.dSNR > found->dSNR) {
        found->dSNR = satellite.dSNR;
      }
      found->bUsed = IsUsed(found->nSystem, number) ? TRUE : FALSE;
    }
  }
  for (int i = m_nSkyCount; i < kSkyCapacity; ++i) {
    m_Sky[i] = SatelliteInfo{};
  }
}

// $GPRMC,013348,A,2411.1630,N,12036.6100,E,6.10,101.50,090307,,*1C
int CGPSRecord::DecodeRMC(const std::wstring& strSentence, CFieldArray& fields) {
  SplitFields(strSentence, L',', fields);
  if (fields.GetSize() < 10) {
    return kLineDroppedFields;
  }
  // The status (field 2) gates nothing shown: a void fix is stored like any
  // other, and marked void for the positioning figures.
  std::lock_guard lock(m_mutex);
  m_bPositionVoid = fields[2] == L"V";
  m_strNS = fields[4];
  m_strEW = fields[6];
  m_dLatitude = Degrees(FieldNumber(fields[3]));
  m_dLongitude = Degrees(FieldNumber(fields[5]));
  m_dSpeed = FieldNumber(fields[7]);
  m_dCourse = FieldNumber(fields[8]);
  m_nDate = WcsToLong(fields[9]);
  m_nTime = WcsToLong(fields[1]);
  return kGroupPosition;
}

void CGPSRecord::AppendRawText(const std::wstring& strLine, std::size_t nMaxChars) {
  std::lock_guard lock(m_mutex);
  m_strRawText.append(strLine).append(L"\r\n");
  if (m_strRawText.size() > nMaxChars) {
    m_strRawText.erase(0, m_strRawText.size() - nMaxChars);
  }
}

GPSRecordData CGPSRecord::Snapshot() const {
  std::lock_guard lock(m_mutex);
  return static_cast<const GPSRecordData&>(*this);
}

void CGPSRecord::LoadDemoSentences() {
  auto load = [](UINT id) {
    const wchar_t* text = FindStringResource(id);
    return std::wstring(text != nullptr ? text : L"");
  };
  m_strDemoGGA = load(IDS_DEMO_GGA);
  m_strDemoGSA = load(IDS_DEMO_GSA);
  m_strDemoGSV1 = load(IDS_DEMO_GSV1);
  m_strDemoGSV2 = load(IDS_DEMO_GSV2);
  m_strDemoGSV3 = load(IDS_DEMO_GSV3);
  m_strDemoRMC = load(IDS_DEMO_RMC);
}
