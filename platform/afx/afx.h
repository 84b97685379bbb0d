// Everything the program's classes use of the platform: the core layer's
// types, handles, messages and threads, the resources, the user interface
// API and the application framework.
//
// A page derives from CPropertyPage, names its portrait template in its
// constructor, binds and exchanges its controls in DoDataExchange
// (DDX_Control, DDX_CBStringExact, DDX_Text), and lists its handlers in
// GetMessageMap with the builders of message_map.h (OnWmSize, OnWmPaint,
// OnWmDestroy, OnWmTimer, OnBnClicked, OnMessage), chained to
// CPropertyPage::GetThisMessageMap(). Its OnInitDialog calls the base first
// (the combo strings of the template, then UpdateData(FALSE)). Timers are
// SetTimer/KillTimer on the page; messages posted to its window from any
// thread arrive on the user-interface thread in order; message boxes are
// AfxMessageBox with a string id and MB_* flags.
#pragma once

#include "platform/afx/bitmap.h"
#include "platform/afx/button.h"
#include "platform/afx/combo_box.h"
#include "platform/afx/data_exchange.h"
#include "platform/afx/edit.h"
#include "platform/afx/memory_registry_hive.h"
#include "platform/afx/message_map.h"
#include "platform/afx/paint_dc.h"
#include "platform/afx/property_page.h"
#include "platform/afx/property_sheet.h"
#include "platform/afx/static_control.h"
#include "platform/afx/win_app.h"
#include "platform/afx/wnd.h"
#include "platform/core/event.h"
#include "platform/core/handle_table.h"
#include "platform/core/registry.h"
#include "platform/core/resources.h"
#include "platform/core/win_thread.h"
#include "platform/core/win_types.h"
#include "platform/core/window_core.h"
#include "platform/ui/accessibility.h"
#include "platform/ui/gdi.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_types.h"
#include "platform/ui/window_api.h"
