// CButton: a push button.
#pragma once

#include "platform/afx/wnd.h"

class CButton : public CWnd {};
