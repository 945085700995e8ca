#pragma once

// Bitmaps of the list windows' picture buttons (resources/buttons.rc). Each is drawn on the
// mask colour magenta, which the buttons show as transparent.
#define IDB_START 200
#define IDB_STOP 201
#define IDB_STOPPED_SERVICES 202
#define IDB_ACTIVE_SERVICES 203
#define IDB_ALL_SERVICES 204
#define IDB_REFRESH 205
#define IDB_CLOSE 206
