#!/usr/bin/env python3
"""The batch command as users pay for it: a whole process on generated files,
against the floor of the same bytes read, written, flushed and renamed.

For each size N: an object list of N targets, and a comet file of N/50
ordinary comet lines plus the N lines an earlier run wrote for the targets
(1.02 N lines). Each measured run starts from a fresh copy of that file and
replaces the N lines, as a nightly run does. Reports the median wall and CPU
time of the runs, the process's peak resident memory, its user-space
instructions (valgrind's callgrind, where valgrind is installed and the size
is at most --instructions-up-to), and the floor: reading both files, then
writing the backup's bytes and the result's bytes each to a temporary file
with dd conv=fsync and renaming it, as the run does, timed after each run.

  bench/whole_run.py [--batch PATH] [--sizes 50000,100000,200000,400000]
                     [--runs 5] [--instructions-up-to 200000]
"""
import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def object_line(i, draw):
    ra = "%02d %02d %05.2f" % (draw(24), draw(60), draw(60) + draw(100) / 100.0)
    dec = "%c%02d %02d %04.1f" % ("+" if i % 2 else "-", draw(90), draw(60), draw(60) + (i % 10) / 10.0)
    return "%-8s  %s  %s  %4.1f" % ("S%07d" % i, ra, dec, 5.0 + (i % 100) / 10.0)


def make_files(folder, count, batch):
    rng = random.Random(42)
    draw = rng.randrange
    with open(os.path.join(folder, "objetos.txt"), "w", newline="") as objects:
        for i in range(count):
            objects.write(object_line(i, draw) + "\r\n")
    with open(os.path.join(folder, "comet.dat"), "w", newline="") as comets:
        for i in range(count // 50):
            comets.write("    C/%d A%-5d  2005 01 24.9968  1.205075  0.999760  151.1066  190.0412   20.5013  "
                         "20050130  10.5  4.0  C/%d A%d\r\n" % (1990 + i % 30, i, 1990 + i % 30, i))
    # The earlier run's lines, written by the program itself.
    subprocess.run([batch, "comet.dat", "objetos.txt", "14/01/2006"], cwd=folder, check=True,
                   stdout=subprocess.DEVNULL)
    shutil.copy(os.path.join(folder, "comet.dat"), os.path.join(folder, "comet.base"))
    os.remove(os.path.join(folder, "CometDatBak.Txt"))


def timed(command, folder):
    """Wall time, CPU time and peak memory (KiB) of one child process."""
    start = time.perf_counter()
    child = subprocess.Popen(command, cwd=folder, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit("failed: %s" % command)
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss


def instructions(batch, folder):
    if shutil.which("valgrind") is None:
        return None
    out = os.path.join(folder, "callgrind.out")
    result = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out, batch, "comet.dat",
                             "objetos.txt", "15/01/2006"], cwd=folder, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True, check=True)
    os.remove(out)
    for line in result.stderr.splitlines():
        if "Collected :" in line:
            return int(line.split(":")[-1].strip())
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--batch", default="build/default/app/celestra-batch")
    parser.add_argument("--sizes", default="50000,100000,200000,400000")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--instructions-up-to", type=int, default=200000)
    args = parser.parse_args()
    batch = os.path.abspath(args.batch)

    print("| objects | input MiB | wall s | CPU s | peak MiB | peak / input | instructions | floor wall s |"
          " wall / floor |")
    print("|---|---|---|---|---|---|---|---|---|")
    for count in (int(n) for n in args.sizes.split(",")):
        folder = tempfile.mkdtemp(prefix="celestra-whole-run-")
        try:
            make_files(folder, count, batch)
            base = os.path.join(folder, "comet.base")
            comet = os.path.join(folder, "comet.dat")
            input_bytes = os.path.getsize(base) + os.path.getsize(os.path.join(folder, "objetos.txt"))
            # The run and the floor take turns, so that both meet the same
            # state of the machine.
            shutil.copy(base, comet)
            subprocess.run([batch, "comet.dat", "objetos.txt", "15/01/2006"], cwd=folder, check=True,
                           stdout=subprocess.DEVNULL)
            shutil.copy(comet, os.path.join(folder, "result.bytes"))
            floor_script = (
                "cat comet.base objetos.txt > /dev/null && "
                "dd if=comet.base of=.backup.tmp bs=1M conv=fsync status=none && mv .backup.tmp backup.bytes && "
                "dd if=result.bytes of=.comet.tmp bs=1M conv=fsync status=none && mv .comet.tmp comet.bytes")
            walls, cpus, peaks, floors = [], [], [], []
            for _ in range(args.runs):
                shutil.copy(base, comet)
                wall, cpu, peak = timed([batch, "comet.dat", "objetos.txt", "15/01/2006"], folder)
                walls.append(wall)
                cpus.append(cpu)
                peaks.append(peak)
                floors.append(timed(["sh", "-c", floor_script], folder)[0])
            shutil.copy(base, comet)
            count_instructions = instructions(batch, folder) if count <= args.instructions_up_to else None
            wall, floor = statistics.median(walls), statistics.median(floors)
            peak_mib = max(peaks) / 1024.0
            input_mib = input_bytes / 1048576.0
            print("| %d | %.1f | %.3f | %.3f | %.1f | %.2f | %s | %.3f | %.2f |" % (
                count, input_mib, wall, statistics.median(cpus), peak_mib, peak_mib / input_mib,
                "%.3f G" % (count_instructions / 1e9) if count_instructions else "-", floor, wall / floor))
            sys.stdout.flush()
        finally:
            shutil.rmtree(folder)


if __name__ == "__main__":
    main()
