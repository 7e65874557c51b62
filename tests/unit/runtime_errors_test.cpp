#include <gtest/gtest.h>

#include <string>

#include "services/runtime_errors.h"

namespace {

// The messages as Windows-1252 bytes, written as escapes so the source's encoding cannot hide a
// wrong byte.
struct MessageBytes {
    int code;
    const char* bytes;
};

const MessageBytes messages[] = {
    {101, "Unbekanntes Create-Objekt: "},
    {124, "STARTPAINT fehlt!"},
    {202, "Falscher Typ f\xFCr @DTOC$ !"},
    {203, "Falscher Typ f\xFCr @CTOD$ !"},
    {204, "String-Index ist < 1 !"},
    {205, "Substring-Nr ist < 1 !"},
    {206, "So viele Elemente sind nicht da!"},
    {208, "Kommandozeilenparameter fehlt!"},
    {209, "Datei nicht gefunden: "},
    {210, "Dateinummer nicht im erlaubten Bereich!"},
    {222, "Box nicht innerhalb des Fensters!"},
    {223, "Negative Fenstergr\xF6\xDF" "e!"},
    {224, "ICON nicht vorhanden: "},
    {225, "ICON nicht vorhanden! (Nur 0..4)"},
    {228, "Bitmap nicht ladbar: "},
    {229, "Bitmap konnte nicht gespeichert werden: "},
    {230, "Cursor nicht vorhanden! (Nur 0..11)"},
    {235, "Drucken ist nicht m\xF6glich!"},
    {237, "Der Befehl setzt ein Fenster vorraus!"},
    {244, "Der Text pa\xDFt nicht komplett in die Bereichsvariable!"},
    {247, "Fehler beim Laden der DLL: "},
    {248, "Funktion in DLL nicht vohanden: "},
    {252, "Men\xFC ist nicht ladbar: "},
    {269, "Kein freier CALLBACK mit der gew\xFCnschten Parameterzahl!"},
    {300, "Datei kann nicht gelesen werden: "},
    {301, "Datei kann nicht erzeugt werden: "},
    {303, "Fehler beim Schreiben: "},
    {305, "REGISTRY: "},
    {500, "ODBC ist nicht initialisiert!"},
    {503, "ODBC-Fehler"},
    {504, " S\xE4tze bearbeitet!"},
    {505, "Operation erfolgreich!"},
    {506, "Ergebnisdatei kann nicht ge\xF6" "ffnet werden!"},
    {600, "dB-Fehler: "},
    {601, "Datei nicht gefunden: "},
    {602, "Doppelter Feldname: "},
    {603, "Ung\xFCltige Feldl\xE4nge: "},
    {604, "Ung\xFCltige Dezimalstellen: "},
    {608, "Schl\xFC" "sselfeld nicht in Ordnung: "},
    {609, "Tabellennummer nicht im erlaubten Bereich!"},
    {611, "Formel nicht in Ordnung: "},
    {612, "Feld beim Lesen nicht gefunden: "},
    {613, "Feldnummer beim Lesen nicht gefunden: "},
    {614, "Feld zum Schreiben nicht gefunden: "},
    {615, "Feldnummer zum Schreiben nicht gefunden: "},
    {616, "Index-Dateiname fehlerhaft: "},
    {617, "Ung\xFCltige Eingabe: "},
};

TEST(ErrorMessageText, EveryMessageHasItsExactBytes)
{
    for (const MessageBytes& m : messages)
        EXPECT_EQ(std::string(ErrorMessageText(m.code)), m.bytes) << "code " << m.code;
}

TEST(ErrorMessageText, CodesWithoutMessageGiveTheEmptyText)
{
    int listed = 0;
    for (int code = -5; code < 1000; ++code) {
        const char* text = ErrorMessageText(code);
        ASSERT_NE(text, nullptr);
        if (*text != 0)
            ++listed;
    }
    EXPECT_EQ(listed, static_cast<int>(sizeof messages / sizeof messages[0]));
    EXPECT_STREQ(ErrorMessageText(207), "");
    EXPECT_STREQ(ErrorMessageText(INT32_MIN), "");
}

TEST(ErrorMessageText, TheBoxTextIsFixed)
{
    EXPECT_STREQ(errorBoxText, "Zeilennummer nicht verf\xFC" "gbar.");
}

}  // namespace
