// Bitmap resource IDs of the custom controls and the main window's buttons.
#pragma once

#define IDB_RULER_TILE          157
#define IDB_SPOT_MARKER         158
#define IDB_SPOT_MARKER_MASK    159
#define IDB_LEVEL_METER         160
#define IDB_RECORDING_ON        163
#define IDB_RECORDING_OFF       164
#define IDB_TIME_FACE           166
#define IDB_BTN_PLAY            167
#define IDB_BTN_REWIND_BACK     169
#define IDB_BTN_REWIND_FORWARD  170
#define IDB_BTN_RECORD          171
#define IDB_BTN_ADVSPOT         172
#define IDB_BTN_PUBLISH         173
#define IDB_ARROW_LEFT          175
#define IDB_ARROW_RIGHT         176
#define IDB_SCROLL_TRACK        177
#define IDB_SCROLL_THUMB        178
#define IDB_SCROLL_THUMB_HOT    179
#define IDB_BTN_SAVE            181
#define IDB_BTN_OPEN            182
