#!/usr/bin/env python3
"""Trials of a batch command whose comet file is written in place.

A comet file with a second name (a hard link) is always written in place.
Each trial starts a run on it, then at a random moment of the write (from
the first change of the file on) either sends a signal (--scenario stop) or
lets another program append a line or cut the file (--scenario append,
--scenario cut); then the next run goes through. Counted for every trial:

  stop:   the file left mixed (neither the old content nor the result); after
          the next run, a comet file that is not what one clean run gives,
          and a CometDatBak.Txt that is no whole earlier comet file.
  append, cut: runs that reported success although the change was lost.

Run as root; --user nobody runs the program as that user in a folder they
may not write. Give --batch any build of celestra-batch, to compare builds.
"""
import argparse
import os
import pwd
import random
import shutil
import signal
import subprocess
import tempfile
import time

DATE = "15/01/2006"


def object_line(i, rng):
    designation = f"S{i:07d}"
    ra = f"{rng.randrange(24):02d} {rng.randrange(60):02d} {rng.randrange(60):02d}.{rng.randrange(100):02d}"
    dec = f"{'+-'[i % 2]}{rng.randrange(90):02d} {rng.randrange(60):02d} {rng.randrange(60):02d}.{rng.randrange(10)}"
    magnitude = f"{5.0 + i % 100 / 10.0:4.1f}"
    return f"{designation:<8}  {ra}  {dec}  {magnitude}"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--batch", required=True)
    parser.add_argument("--objects", type=int, default=200000)
    parser.add_argument("--comets", type=int, default=4000, help="other comet lines")
    parser.add_argument("--tries", type=int, default=30)
    parser.add_argument("--signal", default="KILL")
    parser.add_argument("--user", default="root")
    parser.add_argument("--scenario", choices=["stop", "append", "cut"], default="stop")
    parser.add_argument("--delay-ms", type=float, default=30.0,
                        help="the moments fall from the first change of the comet file up to this much later")
    args = parser.parse_args()
    batch = os.path.abspath(args.batch)
    account = pwd.getpwnam(args.user)
    plain = account.pw_uid != 0

    top = tempfile.mkdtemp(prefix="celestra-trials-")
    os.chmod(top, 0o755)
    data = os.path.join(top, "data")
    state = os.path.join(top, "state")
    os.mkdir(data)
    os.mkdir(state)
    comet = os.path.join(data, "comet.dat")
    backup = os.path.join(data, "CometDatBak.Txt")
    rng = random.Random(1)
    with open(os.path.join(data, "objetos.txt"), "w", newline="") as objects:
        objects.write("".join(object_line(i, rng) + "\r\n" for i in range(args.objects)))
    with open(comet, "w", newline="") as comets:
        comets.write("".join(f"    C/2026 {i:05d}  2026 01 01.0000  1.000000  0.500000\r\n" for i in range(args.comets)))
    open(backup, "w").close()
    os.link(comet, os.path.join(data, "second-name.dat"))
    if plain:
        for path in (comet, backup, state):
            os.chown(path, account.pw_uid, account.pw_gid)

    def as_user():
        # A job started in the background ignores SIGINT, and so would the
        # program: give it the default.
        signal.signal(signal.SIGINT, signal.SIG_DFL)
        if plain:
            os.setgroups([])
            os.setgid(account.pw_gid)
            os.setuid(account.pw_uid)

    env = dict(os.environ, XDG_STATE_HOME=state)

    def start(date):
        return subprocess.Popen([batch, "comet.dat", "objetos.txt", date], cwd=data, env=env, preexec_fn=as_user,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def read(path):
        with open(path, "rb") as f:
            return f.read()

    def write_in_place(path, content):
        with open(path, "r+b") as f:
            f.truncate(0)
            f.write(content)

    # The earlier run's lines, then the content every trial starts from.
    assert start("14/01/2006").wait() == 0
    before = read(comet)
    began = time.monotonic()
    assert start(DATE).wait() == 0
    run_seconds = time.monotonic() - began
    result = read(comet)

    mixed = wrong_after = backup_mixed = restored = stopped = lost = 0
    for attempt in range(args.tries):
        write_in_place(comet, before)
        write_in_place(backup, b"an older backup\r\n")
        written = os.stat(comet).st_mtime_ns
        run = start(DATE)
        # The moment the in-place write begins: the file changes (grows or is
        # overwritten); a run that ends first is let be.
        deadline = time.monotonic() + 60
        while run.poll() is None and os.stat(comet).st_mtime_ns == written and time.monotonic() < deadline:
            time.sleep(0.0001)  # leaves the run a core
        time.sleep(rng.uniform(0, args.delay_ms / 1000))
        if args.scenario == "stop":
            run.send_signal(getattr(signal, "SIG" + args.signal))
            run.wait()
            left = read(comet)
            mixed += left not in (before, result)
            nxt = start(DATE)
            out, _ = nxt.communicate()
            restored += out.startswith(b"Comet.dat restaurado")
            wrong_after += read(comet) != result
            backup_mixed += read(backup) not in (before, result)
        else:
            line = f"    C/2026 X{attempt:04d}  appended by another program\r\n".encode()
            with open(comet, "r+b" if args.scenario == "cut" else "ab") as other:
                if args.scenario == "cut":
                    other.truncate(0)
                else:
                    other.write(line)
            status = run.wait()
            stopped += status != 0
            after = read(comet)
            # Cut: no line of the old file, which no run writes, and no hole.
            kept = b"C/2026 0" not in after and b"\0" not in after if args.scenario == "cut" else line in after
            lost += status == 0 and not kept
    print(f"{args.batch}: {args.scenario} "
          f"{args.signal if args.scenario == 'stop' else ''} as {args.user}, {args.tries} tries, "
          f"{args.objects + args.comets} lines, run {run_seconds:.3f} s:")
    if args.scenario == "stop":
        print(f"  left mixed {mixed}; after the next run: comet file not the clean result {wrong_after}, "
              f"backup no whole earlier file {backup_mixed}; put back by the next run {restored}")
    else:
        print(f"  runs that stopped for the change {stopped}; success reported with the change lost {lost}")
    shutil.rmtree(top)


if __name__ == "__main__":
    main()
