// The GPS data record with its decoder: one writer (the reader thread)
// stores sentence after sentence; other threads read consistent copies.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/field_array.h"
#include "acquisition/gps_messages.h"
#include "acquisition/gps_record_data.h"
#include "platform/core/win_types.h"

// What DecodeLine did with a line, when it reported no group.
constexpr int kLineNotDecoded = 0;      // no known head: the line is left alone
constexpr int kLineDroppedCheck = -1;   // the head matched, CheckSentence failed
constexpr int kLineDroppedFields = -2;  // the sentence has too few fields

// An NMEA 4.10 GSA: the 18 fields of NMEA 2.3 and the system ID.
constexpr int kGsaFieldsWithSystem = 19;

// An NMEA (d)ddmm.mmmm value in decimal degrees.
double Degrees(double x);

// The record's members come first, in the record's order, then the demo
// inputs. The one writer stores each sentence and each raw-text append under
// the record's lock; readers on other threads use Snapshot(). The demo
// inputs are set before decoding starts and only read afterwards.
class CGPSRecord : protected GPSRecordData {
 public:
  CGPSRecord() = default;
  CGPSRecord(const CGPSRecord&) = delete;
  CGPSRecord& operator=(const CGPSRecord&) = delete;

  // TRUE when the line is at least 9 characters long, starts with "$GP"
  // (with every talker decoded: "$" and two upper-case letters), has "*"
  // three characters from its end and ends with the two upper-case
  // hexadecimal digits of the XOR of the characters between "$" and "*".
  BOOL CheckSentence(const std::wstring& strLine) const;

  // TRUE: decode $GPGGA, $GPGSA, $GPGSV and $GPRMC only, into the 12-entry
  // tables, as the handheld did. FALSE (the default): the four sentences of
  // every talker, merged into one sky and one used set. Set before decoding
  // starts.
  void SetGpsOnly(BOOL bGpsOnly);

  // The decode step of one complete line (without its CR LF): dispatches on
  // the head (with every talker decoded, of the line without a doubled "$"
  // at its start and without CRs at its end), substitutes the canned sentence in demo mode, checks and
  // decodes it into the record. Returns the group to announce (a
  // GpsUpdateGroup from kGroupAltitude to kGroupPosition) or one of the
  // kLine* values.
  // `fields` is the caller's field array, kept from line to line.
  int DecodeLine(const std::wstring& strLine, CFieldArray& fields);

  // Appends the line and CR LF to the raw text and keeps its last
  // `nMaxChars` characters.
  void AppendRawText(const std::wstring& strLine, std::size_t nMaxChars);

  // A consistent copy of the record, never half a sentence.
  GPSRecordData Snapshot() const;

  // Fills the six canned sentences from the string table (m_bDemo is left
  // as it is).
  void LoadDemoSentences();

  BOOL m_bDemo = FALSE;
  std::wstring m_strDemoGGA;
  std::wstring m_strDemoGSA;
  std::wstring m_strDemoGSV1;
  std::wstring m_strDemoGSV2;
  std::wstring m_strDemoGSV3;
  std::wstring m_strDemoRMC;

 private:
  struct SentenceType;
  static const SentenceType kSentenceTypes[];

  // A talker's and signal's satellites: the last complete GSV sequence and
  // the messages of the one being received, each in the slot of its
  // message number. A sequence holds at most kGsvMessages messages of four
  // satellites (64, more than any system has in view); later message
  // numbers are ignored, so a stream that never ends a sequence costs no
  // memory and each message constant time.
  static constexpr int kGsvMessages = 16;
  struct SkySource {
    int nTalker = 0;
    int nSignal = 0;
    std::vector<SatelliteInfo> satellites;
    SatelliteInfo pending[kGsvMessages][4]{};
    int pendingCount[kGsvMessages] = {};  // satellites in each message's slot; 0 until it arrives
  };
  // Talkers times signals a receiver reports; further ones are ignored.
  static constexpr std::size_t kSkySources = 64;

  const SentenceType* MatchHead(std::wstring_view line) const;
  const std::wstring& DemoSentence(const SentenceType& type);
  static void ReadSatellite(const CFieldArray& fields, int k, wchar_t talker1, wchar_t talker2,
                            SatelliteInfo& satellite);
  void MergeGsv(wchar_t talker1, wchar_t talker2, int nMessages, int nMessage, const CFieldArray& fields);
  void RebuildSky();
  bool IsUsed(int nSystem, int nNumber) const;
  int DecodeGGA(const std::wstring& strSentence, CFieldArray& fields);
  int DecodeGSA(const std::wstring& strSentence, CFieldArray& fields);
  int DecodeGSV(const std::wstring& strSentence, CFieldArray& fields);
  int DecodeRMC(const std::wstring& strSentence, CFieldArray& fields);

  mutable std::mutex m_mutex;
  std::vector<SkySource> m_skySources;
  std::wstring m_strSentence;  // a line's sentence without what surrounded it
  bool m_bInGsaSet = false;    // the last line was a GSA: the next one adds to its set
};
