#pragma once

// Written by scripts/c-library-names from the C99 and POSIX headers of glibc, as gcc and g++ see
// them with _GNU_SOURCE: the words that end like a table label and that gcc or g++ refuses as the
// name of a table in a program that includes those headers. Not to be edited by hand: run the
// script again instead (tests/export/CLibraryNamesTest checks that its output is this file).

#include "export/ReservedNames.h"

#include <array>
#include <string_view>

namespace ondulix::exporter::clibrary {

inline constexpr std::array<std::string_view, 46> k_complex_h{
    "cabsf32", "cabsf64", "cacosf32", "cacosf64", "cacoshf32", "cacoshf64", "cargf32", "cargf64",
    "casinf32", "casinf64", "casinhf32", "casinhf64", "catanf32", "catanf64", "catanhf32",
    "catanhf64", "ccosf32", "ccosf64", "ccoshf32", "ccoshf64", "cexpf32", "cexpf64", "cimagf32",
    "cimagf64", "clog10f32", "clog10f64", "clogf32", "clogf64", "conjf32", "conjf64", "cpowf32",
    "cpowf64", "cprojf32", "cprojf64", "crealf32", "crealf64", "csinf32", "csinf64", "csinhf32",
    "csinhf64", "csqrtf32", "csqrtf64", "ctanf32", "ctanf64", "ctanhf32", "ctanhf64",
};
inline constexpr std::array<std::string_view, 66> k_inttypes_h{
    "PRIX32", "PRIX64", "PRIXFAST32", "PRIXFAST64", "PRIXLEAST32", "PRIXLEAST64", "PRId32",
    "PRId64", "PRIdFAST32", "PRIdFAST64", "PRIdLEAST32", "PRIdLEAST64", "PRIi32", "PRIi64",
    "PRIiFAST32", "PRIiFAST64", "PRIiLEAST32", "PRIiLEAST64", "PRIo32", "PRIo64", "PRIoFAST32",
    "PRIoFAST64", "PRIoLEAST32", "PRIoLEAST64", "PRIu32", "PRIu64", "PRIuFAST32", "PRIuFAST64",
    "PRIuLEAST32", "PRIuLEAST64", "PRIx32", "PRIx64", "PRIxFAST32", "PRIxFAST64", "PRIxLEAST32",
    "PRIxLEAST64", "SCNd32", "SCNd64", "SCNdFAST32", "SCNdFAST64", "SCNdLEAST32", "SCNdLEAST64",
    "SCNi32", "SCNi64", "SCNiFAST32", "SCNiFAST64", "SCNiLEAST32", "SCNiLEAST64", "SCNo32",
    "SCNo64", "SCNoFAST32", "SCNoFAST64", "SCNoLEAST32", "SCNoLEAST64", "SCNu32", "SCNu64",
    "SCNuFAST32", "SCNuFAST64", "SCNuLEAST32", "SCNuLEAST64", "SCNx32", "SCNx64", "SCNxFAST32",
    "SCNxFAST64", "SCNxLEAST32", "SCNxLEAST64",
};
inline constexpr std::array<std::string_view, 229> k_math_h{
    "HUGE_VAL_F32", "HUGE_VAL_F64", "M_1_PIf32", "M_1_PIf64", "M_2_PIf32", "M_2_PIf64",
    "M_2_SQRTPIf32", "M_2_SQRTPIf64", "M_Ef32", "M_Ef64", "M_LN10f32", "M_LN10f64", "M_LN2",
    "M_LN2f32", "M_LN2f64", "M_LOG10Ef32", "M_LOG10Ef64", "M_LOG2Ef32", "M_LOG2Ef64", "M_PI_2",
    "M_PI_2f32", "M_PI_2f64", "M_PI_4", "M_PI_4f32", "M_PI_4f64", "M_PIf32", "M_PIf64", "M_SQRT1_2",
    "M_SQRT1_2f32", "M_SQRT1_2f64", "M_SQRT2", "M_SQRT2f32", "M_SQRT2f64", "SNANF32", "SNANF64",
    "acosf32", "acosf64", "acoshf32", "acoshf64", "asinf32", "asinf64", "asinhf32", "asinhf64",
    "atan2", "atan2f32", "atan2f64", "atanf32", "atanf64", "atanhf32", "atanhf64",
    "canonicalizef32", "canonicalizef64", "cbrtf32", "cbrtf64", "ceilf32", "ceilf64", "copysignf32",
    "copysignf64", "cosf32", "cosf64", "coshf32", "coshf64", "erfcf32", "erfcf64", "erff32",
    "erff64", "exp10f32", "exp10f64", "exp2", "exp2f32", "exp2f64", "expf32", "expf64", "expm1",
    "expm1f32", "expm1f64", "f32addf64", "f32divf64", "f32fmaf64", "f32mulf64", "f32sqrtf64",
    "f32subf64", "f32xaddf64", "f32xdivf64", "f32xfmaf64", "f32xmulf64", "f32xsqrtf64",
    "f32xsubf64", "fabsf32", "fabsf64", "fdimf32", "fdimf64", "floorf32", "floorf64", "fmaf32",
    "fmaf64", "fmaxf32", "fmaxf64", "fmaximum_mag_numf32", "fmaximum_mag_numf64", "fmaximum_magf32",
    "fmaximum_magf64", "fmaximum_numf32", "fmaximum_numf64", "fmaximumf32", "fmaximumf64",
    "fmaxmagf32", "fmaxmagf64", "fminf32", "fminf64", "fminimum_mag_numf32", "fminimum_mag_numf64",
    "fminimum_magf32", "fminimum_magf64", "fminimum_numf32", "fminimum_numf64", "fminimumf32",
    "fminimumf64", "fminmagf32", "fminmagf64", "fmodf32", "fmodf64", "frexpf32", "frexpf64",
    "fromfpf32", "fromfpf64", "fromfpxf32", "fromfpxf64", "getpayloadf32", "getpayloadf64",
    "hypotf32", "hypotf64", "ilogbf32", "ilogbf64", "j0f32", "j0f64", "j1", "j1f32", "j1f64",
    "jnf32", "jnf64", "ldexpf32", "ldexpf64", "lgammaf32", "lgammaf64", "llogbf32", "llogbf64",
    "llrintf32", "llrintf64", "llroundf32", "llroundf64", "log10f32", "log10f64", "log1pf32",
    "log1pf64", "log2", "log2f32", "log2f64", "logbf32", "logbf64", "logf32", "logf64", "lrintf32",
    "lrintf64", "lroundf32", "lroundf64", "modff32", "modff64", "nanf32", "nanf64", "nearbyintf32",
    "nearbyintf64", "nextafterf32", "nextafterf64", "nextdownf32", "nextdownf64", "nextupf32",
    "nextupf64", "powf32", "powf64", "remainderf32", "remainderf64", "remquof32", "remquof64",
    "rintf32", "rintf64", "roundevenf32", "roundevenf64", "roundf32", "roundf64", "scalblnf32",
    "scalblnf64", "scalbnf32", "scalbnf64", "setpayloadf32", "setpayloadf64", "setpayloadsigf32",
    "setpayloadsigf64", "sincosf32", "sincosf64", "sinf32", "sinf64", "sinhf32", "sinhf64",
    "sqrtf32", "sqrtf64", "tanf32", "tanf64", "tanhf32", "tanhf64", "tgammaf32", "tgammaf64",
    "totalorderf32", "totalorderf64", "totalordermagf32", "totalordermagf64", "truncf32",
    "truncf64", "ufromfpf32", "ufromfpf64", "ufromfpxf32", "ufromfpxf64", "y0f32", "y0f64", "y1",
    "y1f32", "y1f64", "ynf32", "ynf64",
};
inline constexpr std::array<std::string_view, 9> k_signal_h{
    "FP_XSTATE_MAGIC1", "FP_XSTATE_MAGIC2", "REG_CR2", "REG_R11", "REG_R12", "REG_R13", "REG_R14",
    "SIGUSR1", "SIGUSR2",
};
inline constexpr std::array<std::string_view, 8> k_stdio_h{
    "fgetpos64", "fopen64", "freopen64", "fseeko64", "fsetpos64", "ftello64", "renameat2",
    "tmpfile64",
};
inline constexpr std::array<std::string_view, 8> k_stdlib_h{
    "mkostemp64", "mkostemps64", "mkstemp64", "mkstemps64", "strfromf32", "strfromf64", "strtof32",
    "strtof64",
};
inline constexpr std::array<std::string_view, 2> k_wchar_h{
    "wcstof32", "wcstof64",
};
inline constexpr std::array<std::string_view, 8> k_aio_h{
    "aio_cancel64", "aio_error64", "aio_fsync64", "aio_read64", "aio_return64", "aio_suspend64",
    "aio_write64", "lio_listio64",
};
inline constexpr std::array<std::string_view, 7> k_dirent_h{
    "alphasort64", "getdents64", "getdirentries64", "readdir64", "scandir64", "scandirat64",
    "versionsort64",
};
inline constexpr std::array<std::string_view, 1> k_dlfcn_h{
    "dladdr1",
};
inline constexpr std::array<std::string_view, 11> k_fcntl_h{
    "F_GETLK64", "F_SETLK64", "F_SETLKW64", "creat64", "fallocate64", "fcntl64", "open64",
    "openat64", "posix_fadvise64", "posix_fallocate64", "stat64",
};
inline constexpr std::array<std::string_view, 2> k_ftw_h{
    "ftw64", "nftw64",
};
inline constexpr std::array<std::string_view, 2> k_glob_h{
    "glob64", "globfree64",
};
inline constexpr std::array<std::string_view, 26> k_langinfo_h{
    "ABDAY_1", "ABDAY_2", "ABDAY_3", "ABDAY_4", "ABMON_1", "ABMON_11", "ABMON_12", "ABMON_2",
    "ABMON_3", "ABMON_4", "ALTMON_1", "ALTMON_11", "ALTMON_12", "ALTMON_2", "ALTMON_3", "ALTMON_4",
    "DAY_1", "DAY_2", "DAY_3", "DAY_4", "MON_1", "MON_11", "MON_12", "MON_2", "MON_3", "MON_4",
};
inline constexpr std::array<std::string_view, 1> k_netdb_h{
    "gethostbyname2",
};
inline constexpr std::array<std::string_view, 3> k_netinet_in_h{
    "IPV6_RECVERR_RFC4884", "IP_RECVERR_RFC4884", "s6_addr32",
};
inline constexpr std::array<std::string_view, 3> k_netinet_tcp_h{
    "TCP_FIN_WAIT1", "TCP_FIN_WAIT2", "TCP_LINGER2",
};
inline constexpr std::array<std::string_view, 2> k_regex_h{
    "re_match_2", "re_search_2",
};
inline constexpr std::array<std::string_view, 2> k_sys_mman_h{
    "mlock2", "mmap64",
};
inline constexpr std::array<std::string_view, 3> k_sys_resource_h{
    "getrlimit64", "prlimit64", "setrlimit64",
};
inline constexpr std::array<std::string_view, 3> k_sys_socket_h{
    "AF_IEEE802154", "PF_IEEE802154", "accept4",
};
inline constexpr std::array<std::string_view, 3> k_sys_stat_h{
    "fstat64", "fstatat64", "lstat64",
};
inline constexpr std::array<std::string_view, 2> k_sys_statvfs_h{
    "fstatvfs64", "statvfs64",
};
inline constexpr std::array<std::string_view, 6> k_sys_uio_h{
    "preadv2", "preadv64", "preadv64v2", "pwritev2", "pwritev64", "pwritev64v2",
};
inline constexpr std::array<std::string_view, 2> k_sys_wait_h{
    "wait3", "wait4",
};
inline constexpr std::array<std::string_view, 4> k_syslog_h{
    "LOG_LOCAL1", "LOG_LOCAL2", "LOG_LOCAL3", "LOG_LOCAL4",
};
inline constexpr std::array<std::string_view, 12> k_termios_h{
    "B134", "BS1", "CR1", "CR2", "CR3", "FF1", "NL1", "TAB1", "TAB2", "TAB3", "VEOL2", "VT1",
};
inline constexpr std::array<std::string_view, 9> k_unistd_h{
    "dup2", "dup3", "ftruncate64", "lockf64", "lseek64", "pipe2", "pread64", "pwrite64",
    "truncate64",
};

inline constexpr std::array<ReservedNames, 28> kNames{{
    {k_complex_h, "which gcc refuses in a program that includes <complex.h>", true},
    {k_inttypes_h, "which gcc refuses in a program that includes <inttypes.h>", true},
    {k_math_h, "which gcc refuses in a program that includes <math.h>", true},
    {k_signal_h, "which gcc refuses in a program that includes <signal.h>", true},
    {k_stdio_h, "which gcc refuses in a program that includes <stdio.h>", true},
    {k_stdlib_h, "which gcc refuses in a program that includes <stdlib.h>", true},
    {k_wchar_h, "which gcc refuses in a program that includes <wchar.h>", true},
    {k_aio_h, "which gcc refuses in a program that includes <aio.h>", true},
    {k_dirent_h, "which gcc refuses in a program that includes <dirent.h>", true},
    {k_dlfcn_h, "which gcc refuses in a program that includes <dlfcn.h>", true},
    {k_fcntl_h, "which gcc refuses in a program that includes <fcntl.h>", true},
    {k_ftw_h, "which gcc refuses in a program that includes <ftw.h>", true},
    {k_glob_h, "which gcc refuses in a program that includes <glob.h>", true},
    {k_langinfo_h, "which gcc refuses in a program that includes <langinfo.h>", true},
    {k_netdb_h, "which gcc refuses in a program that includes <netdb.h>", true},
    {k_netinet_in_h, "which gcc refuses in a program that includes <netinet/in.h>", true},
    {k_netinet_tcp_h, "which gcc refuses in a program that includes <netinet/tcp.h>", true},
    {k_regex_h, "which gcc refuses in a program that includes <regex.h>", true},
    {k_sys_mman_h, "which gcc refuses in a program that includes <sys/mman.h>", true},
    {k_sys_resource_h, "which gcc refuses in a program that includes <sys/resource.h>", true},
    {k_sys_socket_h, "which gcc refuses in a program that includes <sys/socket.h>", true},
    {k_sys_stat_h, "which gcc refuses in a program that includes <sys/stat.h>", true},
    {k_sys_statvfs_h, "which gcc refuses in a program that includes <sys/statvfs.h>", true},
    {k_sys_uio_h, "which gcc refuses in a program that includes <sys/uio.h>", true},
    {k_sys_wait_h, "which gcc refuses in a program that includes <sys/wait.h>", true},
    {k_syslog_h, "which gcc refuses in a program that includes <syslog.h>", true},
    {k_termios_h, "which gcc refuses in a program that includes <termios.h>", true},
    {k_unistd_h, "which gcc refuses in a program that includes <unistd.h>", true},
}};

} // namespace ondulix::exporter::clibrary
