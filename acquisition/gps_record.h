// The GPS data record with its decoder: one writer (the reader thread)
// stores sentence after sentence; other threads read consistent copies.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>

#include "acquisition/field_array.h"
#include "acquisition/gps_record_data.h"
#include "platform/core/win_types.h"

// What DecodeLine did with a line, when it reported no group (1 to 4).
constexpr int kLineNotDecoded = 0;      // no known head: the line is left alone
constexpr int kLineDroppedCheck = -1;   // the head matched, CheckSentence failed
constexpr int kLineDroppedFields = -2;  // the sentence has too few fields

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

  // TRUE when the line is at least 9 characters long, starts with "$GP", has
  // "*" three characters from its end and ends with the two upper-case
  // hexadecimal digits of the XOR of the characters between "$" and "*".
  BOOL CheckSentence(const std::wstring& strLine) const;

  // The decode step of one complete line (without its CR LF): dispatches on
  // the head, substitutes the canned sentence in demo mode, checks and
  // decodes it into the record. Returns the group to announce (1 altitude,
  // 2 fix, 3 satellites, 4 position and time) or one of the kLine* values.
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

  const std::wstring& DemoSentence(const SentenceType& type);
  int DecodeGGA(const std::wstring& strSentence, CFieldArray& fields);
  int DecodeGSA(const std::wstring& strSentence, CFieldArray& fields);
  int DecodeGSV(const std::wstring& strSentence, CFieldArray& fields);
  int DecodeRMC(const std::wstring& strSentence, CFieldArray& fields);

  mutable std::mutex m_mutex;
};
