/* The ids of the progress box, for its resource script and the view; plain C for windres. */
#pragma once

#define TQ37R_PROGRESS_DIALOG 103
#define TQ37R_PROGRESS_TEXT 1101
#define TQ37R_PROGRESS_BAR 1102
