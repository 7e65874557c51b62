// The program's locale, set at start-up (after InitRuntime) and released at shutdown.
#pragma once

int InitLocale();      // "English": its decimal point, lower case and blanks
int ReleaseLocale();
