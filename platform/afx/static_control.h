// CStatic: a static text control.
#pragma once

#include "platform/afx/wnd.h"

class CStatic : public CWnd {};
