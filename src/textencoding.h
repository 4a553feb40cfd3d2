// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#ifndef TARNWICK_TEXTENCODING_H
#define TARNWICK_TEXTENCODING_H

// Makes Qt take all 8-bit text as UTF-8, whatever the system's locale says.
// Call once, after the application object exists and before any text is shown.
void useUtf8ForNarrowText();

#endif
