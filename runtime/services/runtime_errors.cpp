#include "services/runtime_errors.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"

const char errorBoxText[] = "Zeilennummer nicht verfügbar.";

namespace {

struct ErrorMessage {
    int32_t code;
    const char* text;
};

const ErrorMessage errorMessages[] = {
    {101, "Unbekanntes Create-Objekt: "},
    {124, "STARTPAINT fehlt!"},
    {202, "Falscher Typ für @DTOC$ !"},
    {203, "Falscher Typ für @CTOD$ !"},
    {204, "String-Index ist < 1 !"},
    {205, "Substring-Nr ist < 1 !"},
    {206, "So viele Elemente sind nicht da!"},
    {208, "Kommandozeilenparameter fehlt!"},
    {209, "Datei nicht gefunden: "},
    {210, "Dateinummer nicht im erlaubten Bereich!"},
    {211, "Nicht genug Speicher für den String!"},
    {222, "Box nicht innerhalb des Fensters!"},
    {223, "Negative Fenstergröße!"},
    {224, "ICON nicht vorhanden: "},
    {225, "ICON nicht vorhanden! (Nur 0..4)"},
    {228, "Bitmap nicht ladbar: "},
    {229, "Bitmap konnte nicht gespeichert werden: "},
    {230, "Cursor nicht vorhanden! (Nur 0..11)"},
    {235, "Drucken ist nicht möglich!"},
    {237, "Der Befehl setzt ein Fenster vorraus!"},
    {244, "Der Text paßt nicht komplett in die Bereichsvariable!"},
    {247, "Fehler beim Laden der DLL: "},
    {248, "Funktion in DLL nicht vohanden: "},
    {252, "Menü ist nicht ladbar: "},
    {269, "Kein freier CALLBACK mit der gewünschten Parameterzahl!"},
    {300, "Datei kann nicht gelesen werden: "},
    {301, "Datei kann nicht erzeugt werden: "},
    {303, "Fehler beim Schreiben: "},
    {305, "REGISTRY: "},
    {500, "ODBC ist nicht initialisiert!"},
    {503, "ODBC-Fehler"},
    {504, " Sätze bearbeitet!"},
    {505, "Operation erfolgreich!"},
    {506, "Ergebnisdatei kann nicht geöffnet werden!"},
    {600, "dB-Fehler: "},
    {601, "Datei nicht gefunden: "},
    {602, "Doppelter Feldname: "},
    {603, "Ungültige Feldlänge: "},
    {604, "Ungültige Dezimalstellen: "},
    {608, "Schlüsselfeld nicht in Ordnung: "},
    {609, "Tabellennummer nicht im erlaubten Bereich!"},
    {611, "Formel nicht in Ordnung: "},
    {612, "Feld beim Lesen nicht gefunden: "},
    {613, "Feldnummer beim Lesen nicht gefunden: "},
    {614, "Feld zum Schreiben nicht gefunden: "},
    {615, "Feldnummer zum Schreiben nicht gefunden: "},
    {616, "Index-Dateiname fehlerhaft: "},
    {617, "Ungültige Eingabe: "},
};

constexpr UINT errorBoxStyle = MB_OK | MB_ICONERROR;
constexpr UINT warningBoxStyle = MB_OKCANCEL | MB_ICONEXCLAMATION;

// The caption: the message, directly followed by the detail when there is one.
class Caption {
public:
    Caption(int32_t code, const char* detail) : text(ErrorMessageText(code))
    {
        if (detail == nullptr)
            return;
        size_t messageLength = std::strlen(text);
        size_t detailLength = std::strlen(detail);
        block = static_cast<char*>(std::malloc(messageLength + detailLength + 4));
        if (block == nullptr)
            return;
        std::memcpy(block, text, messageLength);
        std::memcpy(block + messageLength, detail, detailLength + 1);
        text = block;
    }
    ~Caption() { std::free(block); }
    Caption(const Caption&) = delete;
    Caption& operator=(const Caption&) = delete;

    const char* text;

private:
    char* block = nullptr;
};

int ShowReport(const char* caption, UINT style)
{
    return MessageBoxA(runtime.mainWindow, errorBoxText, caption, style);
}

// A report that ends the program. On the program thread the box is shown and the thread ends. On
// the GUI thread (a library call carried out there, a procedure of the program's) the end is
// requested before the box is shown: the program thread runs no further statement, it stops at
// its next safe point, behind the request it may be waiting for. The loop quits when the box has
// gone; the report returns, and its caller goes on with its fallback result until then.
bool OnGuiThread()
{
    return GetCurrentThreadId() == runtime.guiThreadId;
}

void BeginEndingProgram()
{
    if (OnGuiThread())
        RequestProgramEnd();
}

void EndProgramAfterReport()
{
    if (!OnGuiThread())
        EndProgramThread();
    PostQuitMessage(0);
}

}  // namespace

const char* ErrorMessageText(int32_t code)
{
    for (const ErrorMessage& message : errorMessages) {
        if (message.code == code)
            return message.text;
    }
    return emptyText;
}

void RuntimeError(int32_t code, const char* detail)
{
    InterlockedExchange(&runtime.lastErrorKind, 2);
    InterlockedExchange(&runtime.lastErrorCode, code);
    if (runtime.errorMode == -1)
        return;
    BeginEndingProgram();
    {
        Caption caption(code, detail);
        ShowReport(caption.text, errorBoxStyle);
    }
    EndProgramAfterReport();
}

void RuntimeWarning(int32_t code, const char* detail)
{
    InterlockedExchange(&runtime.lastErrorKind, 1);
    InterlockedExchange(&runtime.lastErrorCode, code);
    LONG mode = runtime.errorMode;
    if (mode <= 0)
        return;
    {
        Caption caption(code, detail);
        if (mode != 2 && ShowReport(caption.text, warningBoxStyle) != IDCANCEL)
            return;
        BeginEndingProgram();
        ShowReport(mode == 2 ? caption.text : "Programm abgebrochen!", errorBoxStyle);
    }
    EndProgramAfterReport();
}
