// CSheet: the program's property sheet, the framework's sheet unchanged.
#pragma once

#include "platform/afx/afx.h"

class CSheet : public CPropertySheet {
 public:
  CSheet(LPCWSTR caption, CWnd* parent, UINT selectPage);
  ~CSheet() override;

  BOOL DestroyWindow() override;
  BOOL OnInitDialog() override;

  const AFX_MSGMAP* GetMessageMap() const override;
};
