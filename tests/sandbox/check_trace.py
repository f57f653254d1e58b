"""Checks an strace log of the program (strace -f -e trace=%file,socket,
connect,bind,listen,sendto,sendmsg,socketpair) against what the program may
do on a user's machine:

- sockets: local (AF_UNIX) only; it connects only to the X server, the
  session bus and the accessibility bus, the print spooler, and glibc's
  name-service cache (a local daemon that answers user-name look-ups); it
  never binds or listens, and never sends to an address of its own choosing;
- files: it changes none and opens none for writing but /dev/null (an
  attempt counts, whether or not it succeeds).

Usage: check_trace.py TRACE --x-display :N --bus ADDRESS... --spooler PATH
"""

import argparse
import re
import sys

# glibc asks its name-service cache for the user's entry (the toolkit checks
# who owns the runtime folder); the daemon is local and usually absent.
NAME_SERVICE_CACHE = {"/var/run/nscd/socket", "/run/nscd/socket"}
# Opened read-write by the toolkit as a harmless sink; nothing lands anywhere.
WRITABLE_FILES = {"/dev/null"}

WRITE_FLAGS = ("O_WRONLY", "O_RDWR", "O_CREAT", "O_TRUNC", "O_APPEND")
# Calls that change the file system whatever their result.
CHANGING_CALLS = {
    "mkdir", "mkdirat", "rmdir", "unlink", "unlinkat", "rename", "renameat", "renameat2",
    "link", "linkat", "symlink", "symlinkat", "truncate", "chmod", "fchmodat", "chown",
    "lchown", "fchownat", "utime", "utimes", "utimensat", "futimesat", "mknod", "mknodat",
    "creat",
}

CALL = re.compile(r"^(?P<pid>\d+) +(?P<name>\w+)\((?P<args>.*)\) += (?P<result>-?\d+|\?)")
UNIX_PATH = re.compile(r'sun_path=(?P<path>@?"[^"]*")')
FAMILY = re.compile(r"sa_family=(?P<family>AF_\w+)")
QUOTED = re.compile(r'"((?:[^"\\]|\\.)*)"')


def unix_address(args):
    """The AF_UNIX path of a call's address as strace prints it; @ marks abstract."""
    match = UNIX_PATH.search(args)
    if not match:
        return None
    raw = match.group("path")
    return ("@" if raw.startswith("@") else "") + raw.strip('@"')


def bus_sockets(address):
    """Socket paths of a D-Bus address such as unix:path=/x,guid=... or unix:abstract=/y."""
    paths = set()
    for transport in address.split(";"):
        kind, _, options = transport.partition(":")
        if kind != "unix":
            continue
        for option in options.split(","):
            key, _, value = option.partition("=")
            if key == "path":
                paths.add(value)
            elif key == "abstract":
                paths.add("@" + value)
    return paths


def allowed_peers(options):
    number = options.x_display.lstrip(":").split(".")[0]
    peers = {f"/tmp/.X11-unix/X{number}", f"@/tmp/.X11-unix/X{number}"}
    for bus in options.bus:
        peers |= bus_sockets(bus)
    peers.add(options.spooler)
    return peers | NAME_SERVICE_CACHE


def check_socket_call(name, args, result, peers):
    if name in ("socket", "socketpair"):
        domain = args.split(",")[0].strip()
        if domain not in ("AF_UNIX", "AF_LOCAL"):
            return f"opens a {domain} socket: {name}({args})"
        return None
    if name in ("bind", "listen"):
        return f"offers a service of its own: {name}({args})"
    if name in ("connect", "sendto", "sendmsg"):
        family = FAMILY.search(args)
        if not family:
            return None  # a connected socket: its peer was checked at connect()
        if family.group("family") not in ("AF_UNIX", "AF_LOCAL"):
            return f"reaches the network: {name}({args})"
        peer = unix_address(args)
        if peer not in peers:
            return f"reaches {peer}, which is not the display, a bus or the spooler"
    return None


def check_file_call(name, args, result):
    # A failed mkdir of a folder that exists is how a folder is looked for.
    if name in CHANGING_CALLS and result == "0":
        return f"changes the file system: {name}({args})"
    if name in ("open", "openat", "openat2"):
        flags = args.split(", ")[2 if name != "open" else 1] if ", " in args else ""
        if any(flag in flags for flag in WRITE_FLAGS):
            path = QUOTED.search(args).group(1)
            if path not in WRITABLE_FILES:
                return f"opens {path} for writing ({flags})"
    return None


def findings(trace_lines, peers):
    seen_calls = 0
    for line in trace_lines:
        call = CALL.match(line)
        if not call:
            continue
        seen_calls += 1
        name, args, result = call.group("name"), call.group("args"), call.group("result")
        if name == "execve":
            continue
        problem = check_socket_call(name, args, result, peers) or check_file_call(name, args, result)
        if problem:
            yield f"pid {call.group('pid')} {problem}"
    if seen_calls == 0:
        yield "the trace holds no system calls: the program was not traced"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("trace")
    parser.add_argument("--x-display", required=True)
    parser.add_argument("--bus", action="append", default=[])
    parser.add_argument("--spooler", required=True)
    options = parser.parse_args()

    with open(options.trace, encoding="utf-8", errors="replace") as trace:
        lines = trace.read().splitlines()
    problems = sorted(set(findings(lines, allowed_peers(options))))
    connected = sorted({unix_address(l) for l in lines if " connect(" in l and "= 0" in l} - {None})
    print(f"sandbox: {len(lines)} traced calls; connected to: {', '.join(connected) or 'nothing'}")
    for problem in problems:
        print(f"FAIL {problem}", file=sys.stderr)
    if problems:
        sys.exit(1)
    print("sandbox: no network use and no file written")


if __name__ == "__main__":
    main()
