#pragma once

// Bitmaps of the list windows' picture buttons (resources/buttons.rc). Each is drawn on the
// mask colour magenta, which the buttons show as transparent.
//
// Every picture is drawn at 100 %, 150 % and 200 % (96, 144 and 192 DPI). The 150 % and 200 %
// drawings have the identifier of the 100 % one plus IDB_STEP_150 and IDB_STEP_200. They use
// 200-299; the splash window's pictures use 300-399 (splash_ids.h).
#define IDB_STEP_150 20
#define IDB_STEP_200 40

#define IDB_START 200
#define IDB_STOP 201
#define IDB_STOPPED_SERVICES 202
#define IDB_ACTIVE_SERVICES 203
#define IDB_ALL_SERVICES 204
#define IDB_REFRESH 205
#define IDB_CLOSE 206

#define IDB_START_150 220
#define IDB_STOP_150 221
#define IDB_STOPPED_SERVICES_150 222
#define IDB_ACTIVE_SERVICES_150 223
#define IDB_ALL_SERVICES_150 224
#define IDB_REFRESH_150 225
#define IDB_CLOSE_150 226

#define IDB_START_200 240
#define IDB_STOP_200 241
#define IDB_STOPPED_SERVICES_200 242
#define IDB_ACTIVE_SERVICES_200 243
#define IDB_ALL_SERVICES_200 244
#define IDB_REFRESH_200 245
#define IDB_CLOSE_200 246
