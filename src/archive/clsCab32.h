#pragma once

#include "platform/ComponentLookup.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// Whoever the archiver runs for; in the system, the main window.
class CabOwner {
public:
    virtual ~CabOwner() = default;
    // The window handle as a 32-bit integer, handed to the component as is.
    virtual std::int32_t hwnd() const = 0;
};

// Turns its properties into one command line for the CAB archiver component
// ("CAB32.DLL", found through the component lookup) and runs it: compresses
// a folder or a file into a cabinet, or extracts a cabinet into the folder
// beside it named after it. Whether InFile already is a cabinet is asked of
// the component. Paths are UTF-16 here and CP932 bytes on the command line.
//
// Cabcmp returns false on failure and leaves a text for GetErrMsg, which is
// only ever overwritten, never cleared. Nothing is thrown. Create one
// instance per use, as the system does.
class clsCab32 {
public:
    // Looks for the component in the program folder, then the system's.
    clsCab32();
    // A test passes its own lookup, e.g. one that finds nothing.
    explicit clsCab32(platform::ComponentLookup components);

    // Runs the component for owner. True when it returned 0. On a nonzero
    // code c the error text is "圧縮解凍処理にに失敗しました。Error Code:0x"
    // and c in upper-case hexadecimal; on any other failure (component
    // missing, InFile missing, a path without "/", no owner) it is a
    // description of that failure unless an earlier text is still there.
    // The owner is only used during the call.
    bool Cabcmp(const CabOwner* vNewValue);

    QString InFile() const;
    void setInFile(const QString& vNewValue);
    QString GetErrMsg() const;
    QString OutFile() const;
    void setOutFile(const QString& vNewValue);
    // 1 MSZIP, 2 LZX, 3 Quantum, 4 stored; any other value becomes 1.
    // Setting it resets LEVEL to the method's default (0, 15, 1, 0).
    std::int16_t MODE() const;
    void setMODE(std::int16_t vNewValue);
    // LZX takes 15..21 (else 15), Quantum 1..7 (else 7), the others only 0.
    std::int16_t LEVEL() const;
    void setLEVEL(std::int16_t vNewValue);
    bool Silent() const;
    void setSilent(bool vNewValue);
    bool OverWrite() const;
    void setOverWrite(bool vNewValue);
    // Asked by the component during Cabcmp, on the thread that called it,
    // between files and after every block it reads: true stops the call,
    // which then fails with code 0x8010 and leaves no archive. So it must be
    // cheap and safe from that thread (an atomic flag). Empty, or with a
    // component that cannot be stopped: never asked.
    void setStopCheck(std::function<bool()> check) { m_stopCheck = std::move(check); }

private:
    struct Runtime;

    bool call(Runtime& runtime, std::int32_t& result);
    bool buildCompress(Runtime& runtime, QString& command) const;
    bool buildExtract(Runtime& runtime, QString& command) const;
    QString methodSwitch() const;

    // The folder part of strPath up to and including its last "/"; nullopt
    // (the runtime-error path) when strPath has no "/".
    static std::optional<QString> FncSplitPath(const QString& strPath, QString& strBaseName,
                                               QString& strFileName);
    static QString FncGetSep(const QString& strText);

    std::int16_t m_mode = 1;
    std::int16_t m_level = 0;
    bool m_silent = false;
    bool m_overWrite = false;
    QString m_inFile;
    QString m_outFile;
    QString m_errMsg;
    const CabOwner* m_owner = nullptr;  // kept as designed, never used after Cabcmp
    platform::ComponentLookup m_components;
    std::function<bool()> m_stopCheck;
};
