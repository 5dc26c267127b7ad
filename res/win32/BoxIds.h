/* The ids of the boxes the window opens beside its own dialog, for their resource script and
   the view; plain C for windres. */
#pragma once

#define TQ37R_PROGRESS_DIALOG 103
#define TQ37R_PROGRESS_TEXT 1101
#define TQ37R_PROGRESS_BAR 1102

#define TQ37R_LINE_LOG_DIALOG 104
#define TQ37R_LINE_LOG_COUNTS 1201
#define TQ37R_LINE_LOG_LINES 1202
#define TQ37R_LINE_LOG_PAUSE 1203
#define TQ37R_LINE_LOG_SAVE 1204
#define TQ37R_LINE_LOG_CLEAR 1205
