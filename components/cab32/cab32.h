#pragma once

/*
 * libcab32: the CAB archiver component ("CAB32.DLL" in the messages).
 *
 * Five entry points with C linkage: Cab, CabStoppable, CabCheckArchive,
 * CabList and CabReadFile. Every string crossing this interface is a
 * NUL-terminated byte string in code page 932 (Shift_JIS as Windows defines
 * it), except the file names of CabList and CabReadFile (UTF-8, see there).
 * Paths use "/" between folders. No call keeps a pointer it was given,
 * no call prints anything, and no call keeps state between calls, so calls
 * from different threads do not disturb each other.
 *
 * Command line of Cab()
 * ---------------------
 *   command  = switch { blank switch } blank archive blank folder { blank spec }
 *   switch   = "-a" | "-x" | "-r" | "-i" | "-o" | method      (letters in any case)
 *   method   = "-mz" | "-ms" | "-ml" 15..21 | "-mq" 1..7      (at most one)
 *   archive  = path          the cabinet to create (-a) or to read (-x)
 *   folder   = path          -a: the base folder the specs are relative to;
 *                            -x: the target folder (created when missing)
 *   spec     = path          "*.*" or "*" for every file; a pattern with "*"
 *                            and "?" matched against file names (ASCII letters
 *                            without case); or a name relative to the folder,
 *                            "/" between its folders. No spec means "*.*".
 *   path     = '"' bytes without '"' '"' | bytes without blank or '"'
 *              (never empty; a bare token starting with "-" is a switch)
 *   blank    = one or more spaces or tabs
 *
 *   -a   create a cabinet        -x   extract a cabinet (exactly one of them)
 *   -r   -a: patterns also match in every sub-folder (links to folders are
 *        not followed; links to regular files are stored). -x: no effect.
 *   -i   no user interface (this component never has one; accepted)
 *   -o   -a: replace an existing archive; -x: replace existing files
 *   -mz  MSZIP (default)   -ms  stored   -ml / -mq  LZX / Quantum (-a refuses
 *        them with CAB32_ERROR_METHOD; -x reads every method)
 *
 *   Examples:
 *     -a -r -i -o -mz "/w/TEMPU_FILE.cab" "/w/Temp/" *.*
 *     -a -r -mz  "/w/b.cab" "/w/Temp/" "a.txt"
 *     -x -o -i "/x/pack.cab" "/x/pack/" *.*
 *
 * What -a writes
 * --------------
 *   One cabinet (index 0, no set) holding each selected file once, ordered by
 *   name folder by folder, so the same folder gives the same cabinet.
 *   A name is stored as CP932 bytes when code page 932 holds it exactly, else
 *   as UTF-8 with attribute 0x80; "\" separates folders. Dates are the files'
 *   local modification times; attribute 0x20 is set, 0x01 when the file has
 *   no write permission. The cabinet is written to a temporary file beside it
 *   and renamed into place only when complete.
 *   Names Windows takes for one file are refused (CAB32_ERROR_DUPLICATE, the
 *   second name in the output text) before anything is written: names equal
 *   once stored ("〜" and "～" are both 0x8160) or equal without letter case
 *   as Windows compares file names (ASCII, Latin-1, Latin Extended-A, Greek,
 *   Cyrillic, full-width Latin and Roman numerals), folders included.
 *   Each file is checked again after it was read: a size or modification
 *   time other than the scan saw, or more bytes than that size, is
 *   CAB32_ERROR_READ with no cabinet, so a file written meanwhile is never
 *   stored cut.
 *   MSZIP blocks are compressed on one thread per core (at most 16), each
 *   block an independent deflate stream; the cabinet is the same byte for
 *   byte whatever the number of cores. The threads end before Cab() returns;
 *   memory stays at a few blocks per thread.
 *
 * What -x writes
 * --------------
 *   Only under the target folder. The cabinet's layout and names are checked
 *   before anything is written (see "What every reading call checks"); a
 *   failure there fails the whole call.
 *   Each file is written to a temporary name in its folder, ".~PID.N.tmp"
 *   (PID the process, N a counter; short, so any name that fits the folder
 *   fits while written), and renamed when complete; a damaged cabinet stops
 *   at the damaged file, earlier files stay.
 *
 * What every reading call checks
 * ------------------------------
 *   -x, CabCheckArchive (every mode), CabList and CabReadFile first read the
 *   headers and, without decompressing anything, the CFDATA block headers:
 *   inside one folder no two files may overlap, no file may end past the
 *   bytes the folder's blocks declare (the sum of their cbUncomp), no two
 *   folders may share blocks, and each folder's method must be one this
 *   component reads (stored, MSZIP, Quantum with a window of 10..21 bits,
 *   LZX with 15..21). A cabinet that breaks one of these is
 *   CAB32_ERROR_DAMAGED (CabCheckArchive: 0).
 *   -x, CabList and CabReadFile also check every name, selected or not: an
 *   absolute name, a drive letter, a ".." step or a name with nothing left
 *   is CAB32_ERROR_UNSAFE_NAME; a name that is a file and also a folder of
 *   another name ("x" and "x\y") is CAB32_ERROR_EXISTS, whatever -o says;
 *   CabList and CabReadFile also refuse a name given twice with
 *   CAB32_ERROR_EXISTS. An empty name is a damaged header. On Windows -x
 *   also refuses, with CAB32_ERROR_UNSAFE_NAME, a selected name that the
 *   system cannot hold as it stands (a control character, one of <>:"|?*,
 *   a trailing "." or " ", a device name such as CON or NUL).
 */

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__) && defined(__ELF__) /* visibility is an ELF notion; the DLL exports by its .def */
#define CAB32_API __attribute__((visibility("default")))
#else
#define CAB32_API
#endif

/* Return codes of Cab(), CabStoppable(), CabList() and CabReadFile(). */
#define CAB32_OK                 0       /* success */
#define CAB32_ERROR_COMMAND      0x8001  /* malformed command line */
#define CAB32_ERROR_METHOD       0x8002  /* method not offered for writing (LZX, Quantum) */
#define CAB32_ERROR_NOT_FOUND    0x8003  /* archive, base folder or named file missing */
#define CAB32_ERROR_EXISTS       0x8004  /* archive or extracted file exists, no -o; a name
                                            given twice, or as a file and a folder */
#define CAB32_ERROR_WRITE        0x8005  /* target cannot be written (folder, rights, disk full) */
#define CAB32_ERROR_READ         0x8006  /* an input file cannot be read or changed meanwhile */
#define CAB32_ERROR_DAMAGED      0x8007  /* cabinet damaged: bad checksum, truncated, bad data,
                                            files overlapping or past their folder's data */
#define CAB32_ERROR_NOT_ARCHIVE  0x8008  /* -x: the file is not a cabinet */
#define CAB32_ERROR_UNSAFE_NAME  0x8009  /* absolute name or ".." in the cabinet */
#define CAB32_ERROR_NAME         0x800A  /* -a: a name cannot be stored (over 255 bytes,
                                            holds "\", not UTF-8) */
#define CAB32_ERROR_LIMIT        0x800B  /* over 65535 files, a file over 2 GiB - 32 KiB,
                                            or a cabinet over 4 GiB; CabReadFile: the
                                            file is larger than the buffer */
#define CAB32_ERROR_NO_FILES     0x800C  /* -a: the specs matched no file */
#define CAB32_ERROR_MEMORY       0x800D  /* out of memory */
#define CAB32_ERROR_INTERNAL     0x800E  /* unexpected failure inside the component */
#define CAB32_ERROR_DUPLICATE    0x800F  /* -a: two files would be stored under names
                                            Windows takes for one (see above) */
#define CAB32_ERROR_STOPPED      0x8010  /* CabStoppable, CabList, CabReadFile: the caller
                                            asked to stop */

/*
 * Runs one command line (see above) and returns one of the codes above.
 *
 * hwnd     owner window; unused (there is no user interface). May be NULL.
 * cmdLine  the command line, CP932, NUL-terminated; NULL gives
 *          CAB32_ERROR_COMMAND. Only read during the call.
 * output   caller-owned buffer of size bytes, or NULL. When output is not
 *          NULL and size > 0, it receives a NUL-terminated one-line CP932
 *          text describing the result, cut to size - 1 bytes. With size 0
 *          nothing is written. For CAB32_ERROR_WRITE from -x the text is
 *          "cannot write: PATH (errno N)": PATH the final path of the file
 *          or folder that failed (never a temporary name), N the errno of
 *          the failing system call, for the caller to describe in its own
 *          language (the part in parentheses is left out when there is none).
 */
CAB32_API int Cab(void* hwnd, const char* cmdLine, char* output, unsigned long size);

/*
 * Asked by CabStoppable, CabList and CabReadFile whether to stop; nonzero
 * means stop. Called on the calling thread, often (between files, after
 * every 32 KiB block read by -a, before every read of the cabinet while
 * decompressing), so it should only read a flag.
 */
typedef int (*CabStopFn)(void* context);

/*
 * Cab() that can be asked to stop: the same command line, codes and output
 * text, and stop(context) asked as said above. When it answers nonzero the
 * call ends with CAB32_ERROR_STOPPED: -a leaves no cabinet and no temporary
 * file, -x keeps the files completed before (as after a damaged file) and
 * removes the one it was writing. The
 * compression threads have ended when it returns. stop may be NULL: then it
 * is Cab(). context is only handed to stop.
 */
CAB32_API int CabStoppable(void* hwnd, const char* cmdLine, char* output, unsigned long size,
                           CabStopFn stop, void* context);

/*
 * Tells whether fileName (CP932, NUL-terminated, caller-owned) is a cabinet
 * this component can read. Returns nonzero when it is, 0 otherwise (not a
 * cabinet, missing, a folder, damaged headers, NULL).
 *
 * mode 0 or 1: the headers and the layout are read and checked (see "What
 *              every reading call checks"); nothing is decompressed.
 * mode 2:      also each folder is decompressed once, whole, into nothing
 *              and every checksum verified, so the time is that of the
 *              data the cabinet holds, whatever its files declare.
 * other modes behave as 1.
 */
CAB32_API int CabCheckArchive(const char* fileName, int mode);

/*
 * Called by CabList once for each file, in the cabinet's order; nonzero
 * ends the listing with CAB32_ERROR_STOPPED.
 *
 * name  the file's name as -x writes it under the target: UTF-8 (a name
 *       stored as UTF-8 may have no CP932 spelling; a CP932 one is
 *       converted, bytes that do not decode become "?"), "/" between
 *       folders. Valid only during the call.
 * size  its size in bytes as the cabinet declares it.
 */
typedef int (*CabListFn)(void* context, const char* name, unsigned long long size);

/*
 * Lists the files of the cabinet fileName (CP932) from its directory:
 * nothing is written, and with mode 1 nothing is decompressed. The checks
 * of "What every reading call checks" come first; with mode 2 each folder
 * is then decompressed once into nothing and every checksum verified (as
 * CabCheckArchive mode 2), stop(context) asked before every read. each is
 * called only when every check passed, so a refused cabinet lists nothing.
 * Other modes behave as 1. each must not be NULL; stop may be NULL (never
 * stop); context is only handed to them.
 *
 * Returns CAB32_OK; CAB32_ERROR_NOT_FOUND (cannot be opened),
 * CAB32_ERROR_NOT_ARCHIVE, CAB32_ERROR_DAMAGED, CAB32_ERROR_UNSAFE_NAME,
 * CAB32_ERROR_EXISTS, CAB32_ERROR_STOPPED (stop or each said so),
 * CAB32_ERROR_COMMAND (fileName or each NULL), CAB32_ERROR_MEMORY or
 * CAB32_ERROR_INTERNAL.
 */
CAB32_API int CabList(const char* fileName, int mode, CabListFn each, CabStopFn stop, void* context);

/*
 * Decompresses one file of the cabinet fileName (CP932) into the caller's
 * buffer of size bytes: no file is written. name is the file's name as
 * CabList gives it (UTF-8). The checks of CabList mode 1 come first;
 * stop(context) is asked before every read while decompressing (stop may
 * be NULL). When length is not NULL it receives the file's size once the
 * file is found, also when it does not fit.
 *
 * Returns CAB32_OK (buffer holds the file's *length bytes, not
 * terminated); CAB32_ERROR_LIMIT when the file is larger than size
 * (buffer untouched); CAB32_ERROR_NOT_FOUND when there is no such file or
 * cabinet; CAB32_ERROR_NOT_ARCHIVE, CAB32_ERROR_DAMAGED,
 * CAB32_ERROR_UNSAFE_NAME, CAB32_ERROR_EXISTS, CAB32_ERROR_STOPPED;
 * CAB32_ERROR_COMMAND when fileName or name is NULL, or buffer is NULL with
 * size > 0; CAB32_ERROR_MEMORY, CAB32_ERROR_INTERNAL.
 */
CAB32_API int CabReadFile(const char* fileName, const char* name, char* buffer, unsigned long size,
                          unsigned long long* length, CabStopFn stop, void* context);

#ifdef __cplusplus
}
#endif
