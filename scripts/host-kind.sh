#!/usr/bin/env bash
# Sourced: tells, once per run, whether this host executes 32-bit x86 programs. Some x86-64 kernels refuse them
# (IA-32 emulation off), and then Wine's whole 32-bit side fails with "Exec format error". The probe really tries:
# it runs a 96-byte static i386 ELF whose only instructions are the exit system call with status 42.
# VELLUMINE_64BIT_ONLY=1 takes the path of hosts that refuse 32-bit code on any host.
# Exports VELLUMINE_RUNS_32BIT (1 or 0) and, when 0, VELLUMINE_NO_32BIT_WHY (one line); and VELLUMINE_WIN32_WAY, how
# the shipped 32-bit exe runs under Wine here: "native", "emulated" (Wine's 32-bit processes under qemu-user, see
# scripts/wine-emulation.sh) where 32-bit code does not run natively, or "none" where VELLUMINE_NO_EMULATION=1
# turns the emulation off.

if [ -z "${VELLUMINE_RUNS_32BIT:-}" ]; then
  VELLUMINE_NO_32BIT_WHY=""
  if [ "${VELLUMINE_64BIT_ONLY:-0}" = 1 ]; then
    VELLUMINE_RUNS_32BIT=0
    VELLUMINE_NO_32BIT_WHY="VELLUMINE_64BIT_ONLY=1 forces the 64-bit-only path"
  else
    mkdir -p "$(dirname "${BASH_SOURCE[0]}")/../build"
    probe=$(mktemp "$(dirname "${BASH_SOURCE[0]}")/../build/probe32.XXXXXX")
    # ELF header, one loadable segment, then: mov eax,1; mov ebx,42; int 0x80
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'\
'\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00'\
'\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00'\
'\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
    chmod 700 "$probe"
    status=0
    probe_said=$("$probe" 2>&1) || status=$?
    if [ "$status" = 126 ]; then # not allowed to run at all: is it the file system, not the processor?
      printf '#!/bin/sh\nexit 0\n' >"$probe"
      "$probe" 2>/dev/null || status=noexec
    fi
    rm -f "$probe"
    emulator=$(grep -ls '^enabled' /proc/sys/fs/binfmt_misc/*i386* 2>/dev/null | head -1 || true)
    if [ "$status" = noexec ]; then
      VELLUMINE_RUNS_32BIT=0
      VELLUMINE_NO_32BIT_WHY="build/ is on a noexec file system"
    elif [ "$status" = 42 ] && [ -n "$emulator" ]; then
      # Answered through an emulator registered for i386 programs: far too slow for Wine's 32-bit side.
      VELLUMINE_RUNS_32BIT=0
      VELLUMINE_NO_32BIT_WHY="32-bit x86 programs run here only through an emulator ($emulator)"
    elif [ "$status" = 42 ]; then
      VELLUMINE_RUNS_32BIT=1
    else
      VELLUMINE_RUNS_32BIT=0
      VELLUMINE_NO_32BIT_WHY="this host does not run 32-bit x86 programs (probe exit $status${probe_said:+: ${probe_said##*: }})"
    fi
    unset probe probe_said status emulator
  fi
  export VELLUMINE_RUNS_32BIT VELLUMINE_NO_32BIT_WHY
fi
if [ -z "${VELLUMINE_WIN32_WAY:-}" ]; then
  if [ "$VELLUMINE_NO_32BIT_WHY" = "build/ is on a noexec file system" ]; then
    VELLUMINE_WIN32_WAY=none # nothing built there can run: the commands stop at once
  elif [ "$VELLUMINE_RUNS_32BIT" = 1 ]; then
    VELLUMINE_WIN32_WAY=native
  elif [ "${VELLUMINE_NO_EMULATION:-0}" = 1 ]; then
    VELLUMINE_WIN32_WAY=none
    VELLUMINE_NO_32BIT_WHY="$VELLUMINE_NO_32BIT_WHY, and VELLUMINE_NO_EMULATION=1 turns the emulation off"
  else
    VELLUMINE_WIN32_WAY=emulated
  fi
  export VELLUMINE_WIN32_WAY VELLUMINE_NO_32BIT_WHY
fi

# Before anything is built: stops where build/ cannot run programs, and installs the packages (scripts/deps.sh)
# unless VELLUMINE_SKIP_PACKAGES=1 says that the caller has.
host_ready() {
  if [ "$VELLUMINE_NO_32BIT_WHY" = "build/ is on a noexec file system" ]; then
    echo "$(basename "$0"): $VELLUMINE_NO_32BIT_WHY: no program built there can run; clone the project elsewhere" >&2
    exit 1
  fi
  [ "${VELLUMINE_SKIP_PACKAGES:-0}" = 1 ] || bash "$(dirname "${BASH_SOURCE[0]}")/deps.sh"
}

# Once the packages are in (scripts/deps.sh): where the shipped exe is to run emulated, sets the emulation up
# (scripts/wine-emulation.sh), or falls back to "none" with the reason.
win32_way_ready() {
  local why
  if [ "$VELLUMINE_WIN32_WAY" = emulated ] && ! why=$(bash "$(dirname "${BASH_SOURCE[0]}")/wine-emulation.sh" 2>&1); then
    export VELLUMINE_WIN32_WAY=none
    export VELLUMINE_NO_32BIT_WHY="$VELLUMINE_NO_32BIT_WHY, and ${why#wine-emulation: }"
  fi
}
