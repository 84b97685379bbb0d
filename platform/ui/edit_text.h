// The text of a multi-line edit control as the handheld counts it: lines end
// with CR LF, character indexes count both characters, and the widget shows
// each CR LF as one line break.
#pragma once

#include <string>
#include <vector>

class EditText {
 public:
  void Set(std::wstring text);
  const std::wstring& Text() const { return m_text; }

  // Lines: one more than the CR LF pairs.
  int LineCount() const;
  // Index of the first character of `line`; -1 when there is no such line.
  int LineIndex(int line) const;
  // The line that holds character `index` (clamped to the text).
  int LineFromChar(int index) const;
  // Index clamped to [0, length]; a negative index is the length.
  int Clamp(int index) const;

  // The text the widget shows: CR LF as one line feed, a lone CR or LF as a
  // space (the handheld shows neither as a break).
  std::wstring DisplayText() const;
  // The widget's position of character `index`.
  int ToDisplay(int index) const;

  // Whether `after` is `before` without its first *trim characters and with
  // more at its end (the longest such overlap); false when `after` cannot be
  // made that way, or keeps nothing of `before` that is not empty.
  static bool FindTrimAndAppend(const std::wstring& before, const std::wstring& after, std::size_t* trim);
  // The same, with a few characters (*prefix, no line break among them) put
  // before what is kept: a log cut between CR and LF starts with a lone LF,
  // which shows as a space before the line that follows it.
  static bool FindTrimPrefixAndAppend(const std::wstring& before, const std::wstring& after, std::size_t* trim,
                                      std::size_t* prefix);

 private:
  std::wstring m_text;
  std::vector<int> m_lineStarts{0};
};
