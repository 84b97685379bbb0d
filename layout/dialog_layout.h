// Orientation-aware layouts: every page has a landscape, a square and a
// portrait dialog template, and on WM_SIZE it moves its existing controls to
// the rectangles of the template that fits the screen, so that their
// contents survive the change.
#pragma once

#include "platform/afx/afx.h"
#include "platform/ui/dialog_template.h"

// The template for the screen's shape, read afresh from the screen metrics:
// height below width gives `landscape`, above gives `portrait`, equal gives
// `square`.
UINT ChooseLayoutTemplate(UINT landscape, UINT square, UINT portrait);

// Moves the page's controls to the rectangles of dialog template
// `templateId` (converted with the page's own dialog units), all in one
// deferred-positioning batch, and gives each item its template text, image
// or selection back (RefreshLayoutItem). True when every step succeeded;
// false for a missing or unreadable template, a control the page lacks, a
// move that cannot be collected or applied, or two or more items with the
// id 0xFFFF. The moves collected are applied in any case once the batch is
// open; an unreadable template moves nothing.
bool ApplyDialogLayout(HINSTANCE instance, HWND page, UINT templateId);

// Gives one control back what the template says of it. Only items whose
// class is an ordinal are touched: a Button or Static gets its title text,
// or with the icon or bitmap style the image its ordinal title names (the
// old image destroyed, a missing one leaving the control alone); a ListBox
// or ComboBox selects its current selection again.
void RefreshLayoutItem(HINSTANCE instance, HWND page, const DialogItemTemplate& item);
