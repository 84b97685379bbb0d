#include "acquisition/gps_record.h"

#include <string_view>

#include "nmea/checksum.h"
#include "platform/core/crt_rand.h"
#include "platform/core/numbers.h"
#include "resources/string_table.h"

namespace {

enum class Head { GGA, GSA, GSV, RMC };

}  // namespace

struct CGPSRecord::SentenceType {
  std::wstring_view head;
  Head type;
  int (CGPSRecord::*decode)(const std::wstring&, CFieldArray&);
};

// The heads are compared in this order, comma included: "$GPGGA" alone or
// "$gpgga," match nothing.
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
  const std::size_t length = strLine.size();
  if (length < 9 || strLine.compare(0, 3, L"$GP") != 0 || strLine[length - 3] != L'*') {
    return FALSE;
  }
  const unsigned sum = NmeaChecksum(std::wstring_view(strLine).substr(1, length - 4));
  static constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";
  return (strLine[length - 2] == kHexDigits[sum >> 4] && strLine[length - 1] == kHexDigits[sum & 0xF]) ? TRUE : FALSE;
}

int CGPSRecord::DecodeLine(const std::wstring& strLine, CFieldArray& fields) {
  const std::wstring_view line(strLine);
  for (const SentenceType& type : kSentenceTypes) {
    if (line.substr(0, type.head.size()) != type.head) {
      continue;
    }
    // In demo mode the receiver's sentence only picks the type; the canned
    // one is checked and decoded instead.
    const std::wstring& sentence = m_bDemo ? DemoSentence(type) : strLine;
    if (!CheckSentence(sentence)) {
      return kLineDroppedCheck;
    }
    return (this->*type.decode)(sentence, fields);
  }
  return kLineNotDecoded;
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
  m_dAltitude = WcsToDouble(fields[9]);
  return 1;
}

// $GPGSA,A,3,01,03,05,07,09,11,13,15,17,19,21,23,7.5,6.9,5.4*3D
int CGPSRecord::DecodeGSA(const std::wstring& strSentence, CFieldArray& fields) {
  // The checksum is cut off first, so that the last field is a plain VDOP.
  std::wstring_view body(strSentence);
  body = body.substr(0, body.rfind(L'*'));
  SplitFields(body, L',', fields);
  const int count = static_cast<int>(fields.GetSize());
  if (count < 7) {
    return kLineDroppedFields;
  }
  std::lock_guard lock(m_mutex);
  m_nFixMode = WcsToLong(fields[2]);
  for (int& prn : m_nUsedPRN) {
    prn = 0;
  }
  for (int i = 0; i < kUsedPRNCount && i + 3 < count - 3; ++i) {
    m_nUsedPRN[i] = WcsToLong(fields[i + 3]);
  }
  m_dPDOP = WcsToDouble(fields[count - 3]);
  return 2;
}

// $GPGSV,3,1,12,01,06,157,10,03,62,104,21,05,20,208,26,07,56,057,25*74
int CGPSRecord::DecodeGSV(const std::wstring& strSentence, CFieldArray& fields) {
  SplitFields(strSentence, L',', fields);
  const int count = static_cast<int>(fields.GetSize());
  if (count < 3) {
    return kLineDroppedFields;
  }
  const int message = WcsToLong(fields[2]);
  if (message >= 1 && message <= 3) {
    std::lock_guard lock(m_mutex);
    SatelliteInfo* block = &m_Satellites[(message - 1) * 4];
    for (int k = 0; k < 4; ++k) {
      block[k] = SatelliteInfo{};
    }
    // A block is read only when its SNR field exists; the SNR of the last
    // block still carries the checksum, which the number parse stops before.
    for (int k = 0; k < 4 && 7 + 4 * k < count; ++k) {
      SatelliteInfo& satellite = block[k];
      satellite.nPRN = WcsToLong(fields[4 + 4 * k]);
      satellite.dElevation = WcsToDouble(fields[5 + 4 * k]);
      satellite.dAzimuth = WcsToDouble(fields[6 + 4 * k]);
      satellite.dSNR = WcsToDouble(fields[7 + 4 * k]);
      for (int prn : m_nUsedPRN) {
        if (prn == satellite.nPRN) {
          satellite.bUsed = TRUE;
        }
      }
    }
  }
  return 3;
}

// $GPRMC,013348,A,2411.1630,N,12036.6100,E,6.10,101.50,090307,,*1C
int CGPSRecord::DecodeRMC(const std::wstring& strSentence, CFieldArray& fields) {
  SplitFields(strSentence, L',', fields);
  if (fields.GetSize() < 10) {
    return kLineDroppedFields;
  }
  // The status (field 2) gates nothing: a void fix is stored like any other.
  std::lock_guard lock(m_mutex);
  m_strNS = fields[4];
  m_strEW = fields[6];
  m_dLatitude = Degrees(WcsToDouble(fields[3]));
  m_dLongitude = Degrees(WcsToDouble(fields[5]));
  m_dSpeed = WcsToDouble(fields[7]);
  m_dCourse = WcsToDouble(fields[8]);
  m_nDate = WcsToLong(fields[9]);
  m_nTime = WcsToLong(fields[1]);
  return 4;
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
