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

With --gaia-table, instead: ROWS targets as a Gaia archive CSV of every
gaia_source column of Gaia DR3 (152, some 1.7 kB a row), and the same
targets as a fixed-column list with keyed values; the run over each, and a
plain read of the table's bytes (cat FILE > /dev/null), taking turns, with
the medians of their wall and CPU times and their peak resident memory.

  bench/whole_run.py [--batch PATH] [--sizes 50000,100000,200000,400000]
                     [--runs 5] [--instructions-up-to 200000]
  bench/whole_run.py --gaia-table [--rows 100000] [--runs 5] [--batch PATH]
"""
import argparse
import math
import os
import random
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time


def object_line(i, draw):
    ra = "%02d %02d %05.2f" % (draw(24), draw(60), draw(60) + draw(100) / 100.0)
    dec = "%c%02d %02d %04.1f" % ("+" if i % 2 else "-", draw(90), draw(60), draw(60) + (i % 10) / 10.0)
    return "%-8s  %s  %s  %4.1f" % ("S%07d" % i, ra, dec, 5.0 + (i % 100) / 10.0)


def write_ordinary_comets(path, count):
    with open(path, "w", newline="") as comets:
        for i in range(count):
            comets.write("    C/%d A%-5d  2005 01 24.9968  1.205075  0.999760  151.1066  190.0412   20.5013  "
                         "20050130  10.5  4.0  C/%d A%d\r\n" % (1990 + i % 30, i, 1990 + i % 30, i))


def make_files(folder, count, batch):
    rng = random.Random(42)
    draw = rng.randrange
    with open(os.path.join(folder, "objetos.txt"), "w", newline="") as objects:
        for i in range(count):
            objects.write(object_line(i, draw) + "\r\n")
    write_ordinary_comets(os.path.join(folder, "comet.dat"), count // 50)
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


# Every column of gaia_source in Gaia DR3, in the archive's order, with the
# kind of value its cells hold and, after a slash, the group of columns
# that are null together: "ast" for the two-parameter solutions (no
# parallax, no proper motion), "six" for the pseudocolour of the
# six-parameter ones, "rv" for the stars without a radial velocity, "gsp"
# for those without GSP-Phot parameters.
GAIA_SOURCE = """
solution_id:const designation:designation source_id:source_id random_index:int9 ref_epoch:epoch
ra:ra ra_error:float dec:dec dec_error:float parallax:parallax parallax_error:float/ast
parallax_over_error:float/ast pm:float/ast pmra:pmra pmra_error:float/ast pmdec:pmdec pmdec_error:float/ast
ra_dec_corr:float ra_parallax_corr:float/ast ra_pmra_corr:float/ast ra_pmdec_corr:float/ast
dec_parallax_corr:float/ast dec_pmra_corr:float/ast dec_pmdec_corr:float/ast parallax_pmra_corr:float/ast
parallax_pmdec_corr:float/ast pmra_pmdec_corr:float/ast astrometric_n_obs_al:int3 astrometric_n_obs_ac:int2
astrometric_n_good_obs_al:int3 astrometric_n_bad_obs_al:int1 astrometric_gof_al:float astrometric_chi2_al:float
astrometric_excess_noise:float astrometric_excess_noise_sig:float astrometric_params_solved:int2
astrometric_primary_flag:bool nu_eff_used_in_astrometry:float/ast pseudocolour:float/six
pseudocolour_error:float/six ra_pseudocolour_corr:float/six dec_pseudocolour_corr:float/six
parallax_pseudocolour_corr:float/six pmra_pseudocolour_corr:float/six pmdec_pseudocolour_corr:float/six
astrometric_matched_transits:int2 visibility_periods_used:int2 astrometric_sigma5d_max:float matched_transits:int2
new_matched_transits:int2 matched_transits_removed:int1 ipd_gof_harmonic_amplitude:float
ipd_gof_harmonic_phase:float ipd_frac_multi_peak:int1 ipd_frac_odd_win:int1 ruwe:float
scan_direction_strength_k1:float scan_direction_strength_k2:float scan_direction_strength_k3:float
scan_direction_strength_k4:float scan_direction_mean_k1:float scan_direction_mean_k2:float
scan_direction_mean_k3:float scan_direction_mean_k4:float duplicated_source:bool phot_g_n_obs:int3
phot_g_mean_flux:double phot_g_mean_flux_error:float phot_g_mean_flux_over_error:float phot_g_mean_mag:gmag
phot_bp_n_obs:int2 phot_bp_mean_flux:double phot_bp_mean_flux_error:float phot_bp_mean_flux_over_error:float
phot_bp_mean_mag:float phot_rp_n_obs:int2 phot_rp_mean_flux:double phot_rp_mean_flux_error:float
phot_rp_mean_flux_over_error:float phot_rp_mean_mag:float phot_bp_rp_excess_factor:float
phot_bp_n_contaminated_transits:int1 phot_bp_n_blended_transits:int1 phot_rp_n_contaminated_transits:int1
phot_rp_n_blended_transits:int1 phot_proc_mode:int1 bp_rp:float bp_g:float g_rp:float radial_velocity:rv
radial_velocity_error:float/rv rv_method_used:int1/rv rv_nb_transits:int2/rv rv_nb_deblended_transits:int1/rv
rv_visibility_periods_used:int2/rv rv_expected_sig_to_noise:float/rv rv_renormalised_gof:float/rv
rv_chisq_pvalue:float/rv rv_time_duration:float/rv rv_amplitude_robust:float/rv rv_template_teff:float/rv
rv_template_logg:float/rv rv_template_fe_h:float/rv rv_atm_param_origin:int3/rv vbroad:float/rv
vbroad_error:float/rv vbroad_nb_transits:int2/rv grvs_mag:float/rv grvs_mag_error:float/rv
grvs_mag_nb_transits:int2/rv rvs_spec_sig_to_noise:float/rv phot_variable_flag:flag l:double b:double
ecl_lon:double ecl_lat:double in_qso_candidates:bool in_galaxy_candidates:bool non_single_star:int1
has_xp_continuous:bool has_xp_sampled:bool has_rvs:bool has_epoch_photometry:bool has_epoch_rv:bool
has_mcmc_gspphot:bool has_mcmc_msc:bool in_andromeda_survey:bool classprob_dsc_combmod_quasar:float
classprob_dsc_combmod_galaxy:float classprob_dsc_combmod_star:float teff_gspphot:float/gsp
teff_gspphot_lower:float/gsp teff_gspphot_upper:float/gsp logg_gspphot:float/gsp logg_gspphot_lower:float/gsp
logg_gspphot_upper:float/gsp mh_gspphot:float/gsp mh_gspphot_lower:float/gsp mh_gspphot_upper:float/gsp
distance_gspphot:float/gsp distance_gspphot_lower:float/gsp distance_gspphot_upper:float/gsp
azero_gspphot:float/gsp azero_gspphot_lower:float/gsp azero_gspphot_upper:float/gsp ag_gspphot:float/gsp
ag_gspphot_lower:float/gsp ag_gspphot_upper:float/gsp ebpminrp_gspphot:float/gsp
ebpminrp_gspphot_lower:float/gsp ebpminrp_gspphot_upper:float/gsp libname_gspphot:libname/gsp
""".split()

# The cells each row draws for itself; the others come from pools of cells
# drawn once, which keeps the generation to seconds without making rows
# alike in anything the reader could gain from.
ROW_KINDS = ("designation", "source_id", "ra", "dec", "parallax", "pmra", "pmdec", "gmag", "rv")
GROUPS = ("ast", "six", "rv", "gsp")
POOL_SIZE = 509


def filler_cell(kind, rng):
    if kind == "const":
        return "1636148068921376768"
    if kind == "epoch":
        return "2016.0"
    if kind == "float":
        # A float column: its shortest text, or now and then its value
        # written out as a double's, which brings a row to the 1.7 kB of
        # the archive's own rows.
        value = struct.unpack("f", struct.pack("f", rng.uniform(-1, 1) * 10 ** rng.randrange(-6, 5)))[0]
        return repr(value) if rng.random() < 0.45 else "%.9g" % value
    if kind == "double":
        return repr(rng.uniform(0, 1) * 10 ** rng.randrange(0, 6))
    if kind.startswith("int"):
        return str(rng.randrange(10 ** (int(kind[3:]) - 1), 10 ** int(kind[3:])))
    if kind == "bool":
        return rng.choice(("False", "False", "True"))
    if kind == "flag":
        return rng.choice(('"NOT_AVAILABLE"', '"NOT_AVAILABLE"', '"VARIABLE"'))
    if kind == "libname":
        return rng.choice(('"MARCS"', '"PHOENIX"', '"A"', '"OB"'))
    raise ValueError(kind)


def gaia_runs():
    """The columns as runs: a row's own cell, or a run of pooled columns."""
    runs, filler = [], []
    for entry in GAIA_SOURCE:
        _, _, description = entry.partition(":")
        kind, _, group = description.partition("/")
        if kind in ROW_KINDS:
            if filler:
                runs.append(("filler", filler))
                filler = []
            runs.append(("row", kind))
        else:
            filler.append((kind, group))
    if filler:
        runs.append(("filler", filler))
    return runs


def sexagesimal(value, width, decimals):
    whole = int(value)
    minutes = int((value - whole) * 60)
    seconds = round((value - whole - minutes / 60.0) * 3600, decimals)
    if seconds >= 60:  # rounded up to the next minute
        seconds -= 60
        minutes += 1
    if minutes == 60:
        minutes = 0
        whole += 1
    return "%02d %02d %0*.*f" % (whole, minutes, width, decimals, seconds)


def make_gaia_table(folder, count):
    """gaia.csv as the Gaia archive writes it, and list.txt: the same targets
    as a fixed-column list with keyed values. Returns the two paths."""
    rng = random.Random(42)
    runs = gaia_runs()
    pools = {}
    table_path = os.path.join(folder, "gaia.csv")
    list_path = os.path.join(folder, "list.txt")
    with open(table_path, "w", newline="") as table, open(list_path, "w", newline="") as fixed:
        table.write(",".join(entry.partition(":")[0] for entry in GAIA_SOURCE) + "\n")
        for i in range(count):
            # Two-parameter solutions 5 %, six-parameter 35 %; a radial
            # velocity for 30 %; GSP-Phot for 75 %; a negative parallax now and then.
            solution = rng.random()
            nulls = {"ast": solution < 0.05, "six": solution < 0.65, "rv": rng.random() >= 0.30,
                     "gsp": rng.random() >= 0.75}
            key = tuple(nulls[group] for group in GROUPS)
            source_id = 4472832130942575872 + i * 1234567891
            ra = rng.uniform(0, 360)
            dec = math.degrees(math.asin(rng.uniform(-1, 1)))
            parallax = rng.lognormvariate(0, 1.2) - 0.3
            pmra, pmdec = rng.gauss(0, 12), rng.gauss(-3, 12)
            gmag = 8 + 12 * rng.random() ** 0.3
            rv = rng.gauss(0, 40)
            own = {"designation": '"Gaia DR3 %d"' % source_id, "source_id": str(source_id), "ra": repr(ra),
                   "dec": repr(dec), "parallax": "" if nulls["ast"] else repr(parallax),
                   "pmra": "" if nulls["ast"] else repr(pmra), "pmdec": "" if nulls["ast"] else repr(pmdec),
                   "gmag": "%.7g" % gmag, "rv": "" if nulls["rv"] else "%.7g" % rv}
            cells = []
            for number, (what, content) in enumerate(runs):
                if what == "row":
                    cells.append(own[content])
                    continue
                pool = pools.get((number, key))
                if pool is None:
                    pool = [",".join("" if group and nulls[group] else filler_cell(kind, rng)
                                     for kind, group in content) for _ in range(POOL_SIZE)]
                    pools[(number, key)] = pool
                cells.append(pool[rng.randrange(POOL_SIZE)])
            table.write(",".join(cells) + "\n")
            line = "%-8s  %s  %s%s  %4.1f ep=2016.0" % (
                "G%07d" % i, sexagesimal(ra / 15, 5, 2), "-" if dec < 0 else "+", sexagesimal(abs(dec), 4, 1),
                gmag)
            if not nulls["ast"]:
                line += " pm=%.3f,%.3f plx=%.4f" % (pmra, pmdec, parallax)
            if not nulls["rv"]:
                line += " rv=%.2f" % rv
            fixed.write(line + "\r\n")
    return table_path, list_path


def earlier_run(folder, batch, objects, ordinary, base):
    """A comet file of `ordinary` comet lines and the lines an earlier run
    wrote for the objects, kept as `base`."""
    write_ordinary_comets(os.path.join(folder, "comet.dat"), ordinary)
    subprocess.run([batch, "comet.dat", objects, "14/01/2006"], cwd=folder, check=True, stdout=subprocess.DEVNULL)
    shutil.copy(os.path.join(folder, "comet.dat"), os.path.join(folder, base))
    os.remove(os.path.join(folder, "CometDatBak.Txt"))


def gaia_table(args, batch):
    folder = tempfile.mkdtemp(prefix="celestra-gaia-table-")
    try:
        # Written by a process of its own: a child's peak memory counts its
        # parent's, as it stood when the child was started, and the pools
        # would otherwise stand above a small run's.
        subprocess.run([sys.executable, os.path.abspath(__file__), "--write-gaia-table", folder, "--rows",
                        str(args.rows)], check=True)
        table, fixed = os.path.join(folder, "gaia.csv"), os.path.join(folder, "list.txt")
        earlier_run(folder, batch, "gaia.csv", args.rows // 50, "table.base")
        earlier_run(folder, batch, "list.txt", args.rows // 50, "list.base")
        comet = os.path.join(folder, "comet.dat")
        cases = [("fixed-column list", fixed, "list.base"), ("Gaia archive CSV", table, "table.base")]
        figures = {name: ([], [], []) for name, _, _ in cases}
        reads = []
        # The runs and the read take turns, so that all meet the same state
        # of the machine; the files stay in the page cache throughout.
        for _ in range(args.runs):
            for name, objects, base in cases:
                shutil.copy(os.path.join(folder, base), comet)
                wall, cpu, peak = timed([batch, "comet.dat", os.path.basename(objects), "15/01/2006"], folder)
                for kept, value in zip(figures[name], (wall, cpu, peak)):
                    kept.append(value)
            reads.append(timed(["cat", table], folder))
        print("%d targets, medians of %d runs" % (args.rows, args.runs))
        print()
        print("| object list | MiB | wall s | CPU s | peak MiB |")
        print("|---|---|---|---|---|")
        median = {}
        for name, objects, _ in cases:
            walls, cpus, peaks = figures[name]
            median[name] = (statistics.median(walls), statistics.median(cpus), max(peaks) / 1024.0)
            print("| %s | %.1f | %.3f | %.3f | %.1f |" % ((name, os.path.getsize(objects) / 1048576.0) + median[name]))
        # Its peak is left out: it would be this script's own.
        read = (statistics.median(r[0] for r in reads), statistics.median(r[1] for r in reads))
        print("| plain read of the CSV (cat) | %.1f | %.3f | %.3f | - |" % ((os.path.getsize(table) / 1048576.0,)
                                                                       + read))
        beyond = median["Gaia archive CSV"][0] - median["fixed-column list"][0]
        beyond_cpu = median["Gaia archive CSV"][1] - median["fixed-column list"][1]
        print()
        print("table run beyond the list run: %.3f s wall (%.2f x the plain read), %.3f s CPU (%.2f x)" % (
            beyond, beyond / read[0], beyond_cpu, beyond_cpu / read[1] if read[1] > 0 else float("inf")))
        print("peak memory: %.2f x the list run's" % (median["Gaia archive CSV"][2] / median["fixed-column list"][2]))
    finally:
        shutil.rmtree(folder)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--batch", default="build/default/app/celestra-batch")
    parser.add_argument("--sizes", default="50000,100000,200000,400000")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--instructions-up-to", type=int, default=200000)
    parser.add_argument("--gaia-table", action="store_true", help="the Gaia archive CSV against the fixed-column list")
    parser.add_argument("--rows", type=int, default=100000)
    parser.add_argument("--write-gaia-table", metavar="FOLDER", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.write_gaia_table:
        make_gaia_table(args.write_gaia_table, args.rows)
        return
    batch = os.path.abspath(args.batch)
    if args.gaia_table:
        gaia_table(args, batch)
        return

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
