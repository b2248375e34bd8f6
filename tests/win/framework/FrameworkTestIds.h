// IDs of the framework tests' own templates.
#pragma once

#define IDD_FORM 201        // two edits, a button, a tab control, three radios; visible
#define IDD_PLAIN 202       // one edit; hidden
#define IDD_NOT_ANYWHERE 299  // in no module at all
#define IDD_ADDED 250       // added at run time to a copy of the test program, never in it

#define IDC_EDIT_FIRST 301
#define IDC_EDIT_SECOND 302
#define IDC_FIND 303
#define IDC_TAB 304
#define IDC_RADIO_A 311
#define IDC_RADIO_B 312
#define IDC_RADIO_C 313
