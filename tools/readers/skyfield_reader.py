"""Read Celestra comet-element lines with Skyfield and report where they point.

Input: a tab-separated file with the header
    kind  jd_tt  hours  ra_deg  dec_deg  magnitude  line
(one row per instant at which a comet-elements line is judged).

Skyfield does all the parsing (skyfield.data.mpc), the orbit construction
(skyfield.data.mpc.comet_orbit, whose rotation is Skyfield's 'ECLIPJ2000'
frame), the two-body propagation (skyfield.keplerlib.propagate) and the
light-time iteration (Barycentric.observe ->
skyfield.vectorlib._correct_for_light_travel_time).  Only the Earth and the
Sun come from elsewhere: no JPL .bsp file is needed, the barycentric Earth
and Sun are taken from ERFA's epv00 and wrapped as Skyfield vector
functions, so Skyfield's own observe() still does the light-time work.

Usage:
    python3 skyfield_reader.py LINES.tsv [--worst N] [--out REPORT.md]
            [--csv PER_ROW.csv] [--max-arcsec A] [--max-mag M]

Exit status: 1 when a line could not be read, 2 when a row lies beyond
--max-arcsec or --max-mag.
"""

import argparse
import csv
import io
import math
import sys
import warnings

import erfa
import numpy as np

import skyfield
from skyfield.api import load
from skyfield.constants import GM_SUN_Pitjeva_2005_km3_s2
from skyfield.data import mpc
from skyfield.data.spice import inertial_frames
from skyfield.vectorlib import VectorFunction

ASEC_PER_RAD = 180.0 * 3600.0 / math.pi

# Columns the orbit construction needs; a parser result with any of these
# missing or non-numeric counts as a refusal.
NEEDED = (
    'perihelion_year', 'perihelion_month', 'perihelion_day',
    'perihelion_distance_au', 'eccentricity',
    'argument_of_perihelion_degrees', 'longitude_of_ascending_node_degrees',
    'inclination_degrees', 'magnitude_g', 'magnitude_k',
)


class _ErfaBody(VectorFunction):
    """Barycentric Earth (399) or Sun (10) from ERFA epv00, as Skyfield sees it.

    epv00 takes a TDB date; the Time object handed over by Skyfield carries
    it as whole + tdb_fraction (the light-time loop builds its retarded
    times with ts.tdb_jd(whole, tdb_fraction - light_time)).
    """

    def __init__(self, target):
        self.center = 0
        self.target = target

    def _at(self, t):
        whole = np.broadcast_to(np.asarray(t.whole, dtype=float),
                                np.shape(t.tdb_fraction))
        pvh, pvb = erfa.epv00(whole, np.asarray(t.tdb_fraction, dtype=float))
        if self.target == 399:
            p, v = pvb['p'], pvb['v']
        else:  # Sun's barycentric position = Earth barycentric - Earth heliocentric
            p, v = pvb['p'] - pvh['p'], pvb['v'] - pvh['v']
        # epv00 gives (..., 3); Skyfield wants (3, ...)
        return np.moveaxis(p, -1, 0), np.moveaxis(v, -1, 0), None, None


def read_rows(path):
    with open(path, newline='') as f:
        reader = csv.DictReader(f, delimiter='\t')
        rows = [r for r in reader]
    if not rows:
        sys.exit('no rows in ' + path)
    for r in rows:
        r['jd_tt'] = float(r['jd_tt'])
        r['ra_deg'] = float(r['ra_deg'])
        r['dec_deg'] = float(r['dec_deg'])
        r['magnitude'] = float(r['magnitude'])
    return rows


def refused_mask(df):
    """True for parsed rows that miss a needed numeric field."""
    bad = np.zeros(len(df), dtype=bool)
    for name in NEEDED:
        if name not in df.columns:
            return np.ones(len(df), dtype=bool)
        col = df[name]
        try:
            vals = col.astype(float).to_numpy()
        except (TypeError, ValueError):
            vals = np.array([_as_float(x) for x in col])
        bad |= ~np.isfinite(vals)
    return bad


def _as_float(x):
    try:
        return float(x)
    except (TypeError, ValueError):
        return float('nan')


def parse_lines(unique_lines, notes):
    """Parse with Skyfield's fast parser; fall back to the slow one."""
    text = ('\n'.join(unique_lines) + '\n').encode('ascii')
    fast_bad = None
    try:
        fast = mpc.load_comets_dataframe(io.BytesIO(text))
        if len(fast) != len(unique_lines):
            notes.append('fast parser returned %d rows for %d lines'
                         % (len(fast), len(unique_lines)))
            fast_bad = np.ones(len(unique_lines), dtype=bool)
        else:
            fast_bad = refused_mask(fast)
    except Exception as exc:  # report, then fall back
        notes.append('fast parser raised %s: %s' % (type(exc).__name__, exc))
        fast = None
    if fast is not None and fast_bad is not None and not fast_bad.any():
        notes.append('fast parser (load_comets_dataframe) read all %d lines'
                     % len(unique_lines))
        return fast, 'load_comets_dataframe (fast)'
    if fast_bad is not None:
        notes.append(
            'fast parser (load_comets_dataframe) misread %d of %d lines: its '
            'regular expression ends the designation field with "(.*?)  +(.*)",'
            ' i.e. it needs two or more blanks after the designation followed '
            'by the reference field; a line that ends right after the '
            'designation does not match, is left unsplit, and pandas puts the '
            'whole line into the first column (all other fields NaN, no error)'
            % (int(fast_bad.sum()), len(unique_lines)))
        # Diagnostic: does padding the lines the way the regex expects help?
        padded = ('\n'.join(l + '  -' for l in unique_lines) + '\n').encode('ascii')
        try:
            fast2 = mpc.load_comets_dataframe(io.BytesIO(padded))
            bad2 = refused_mask(fast2) if len(fast2) == len(unique_lines) else None
            if bad2 is not None:
                notes.append('diagnostic: with "  -" appended to every line '
                             '(a dummy reference) the fast parser misreads %d'
                             % int(bad2.sum()))
        except Exception as exc:
            notes.append('diagnostic: padded fast parse raised %s' % exc)
    slow = mpc.load_comets_dataframe_slow(io.BytesIO(text))
    slow_bad = refused_mask(slow)
    if slow_bad.any():
        notes.append('slow parser misread %d lines' % int(slow_bad.sum()))
    else:
        notes.append('slow parser (load_comets_dataframe_slow, pandas read_fwf'
                     ' with fixed column spans) read all %d lines'
                     % len(unique_lines))
    return slow, 'load_comets_dataframe_slow'


def separation_arcsec(vec, ra_deg, dec_deg):
    """Angle between vectors vec (3, n) and the (ra, dec) directions."""
    ra = np.radians(ra_deg)
    dec = np.radians(dec_deg)
    ref = np.array([np.cos(dec) * np.cos(ra), np.cos(dec) * np.sin(ra),
                    np.sin(dec)])
    cross = np.cross(vec.T, ref.T)
    dot = np.sum(vec.T * ref.T, axis=1)
    return np.arctan2(np.linalg.norm(cross, axis=1), dot) * ASEC_PER_RAD


def obliquity_arcsec():
    m = inertial_frames['ECLIPJ2000']
    return math.atan2(m[1][2], m[1][1]) * ASEC_PER_RAD


def fmt(x, nd=4):
    if x is None or (isinstance(x, float) and not math.isfinite(x)):
        return 'n/a'
    return '%.*f' % (nd, x)


def hours_key(h):
    try:
        return float(h)
    except ValueError:
        return float('inf')


def report(rows, results, meta, worst_n):
    out = []
    out.append('# Skyfield reader')
    out.append('')
    for k, v in meta:
        out.append('- %s: %s' % (k, v))
    out.append('')
    kinds = sorted({r['kind'] for r in rows})
    hours = sorted({r['hours'] for r in rows}, key=hours_key)
    out.append('## Separation from (ra_deg, dec_deg), arcsec; magnitude '
               'difference (predicted - wanted)')
    out.append('')
    out.append('| kind | hours | rows | median sep | max sep | max abs dmag |')
    out.append('|---|---|---:|---:|---:|---:|')
    for kind in kinds:
        for h in hours + ['all']:
            sel = [i for i, r in enumerate(rows) if r['kind'] == kind
                   and (h == 'all' or r['hours'] == h)
                   and results[i] is not None]
            n_all = sum(1 for r in rows if r['kind'] == kind
                        and (h == 'all' or r['hours'] == h))
            if n_all == 0:
                continue
            if not sel:
                out.append('| %s | %s | 0/%d | n/a | n/a | n/a |' % (kind, h, n_all))
                continue
            seps = np.array([results[i][0] for i in sel])
            dm = np.array([abs(results[i][1]) for i in sel])
            label = ('%d' % len(sel) if len(sel) == n_all
                     else '%d/%d' % (len(sel), n_all))
            out.append('| %s | %s | %s | %s | %s | %s |' % (
                kind, h if h != 'all' else '**all**', label,
                fmt(float(np.median(seps))), fmt(float(seps.max())),
                fmt(float(dm.max()), 4)))
    out.append('')
    ok = [i for i in range(len(rows)) if results[i] is not None]
    failed = len(rows) - len(ok)
    if failed:
        out.append('Rows not computed: %d' % failed)
        out.append('')
    if ok:
        wm = max(ok, key=lambda i: abs(results[i][1]))
        r = rows[wm]
        out.append('Worst magnitude difference: %+.4f (predicted %.4f, wanted '
                   '%.3f; kind %s, jd_tt %.6f, hours %s)' % (
                       results[wm][1], r['magnitude'] + results[wm][1],
                       r['magnitude'], r['kind'], r['jd_tt'], r['hours']))
        out.append('')
        out.append('## Worst rows by separation')
        out.append('')
        out.append('| kind | jd_tt | hours | sep arcsec | dmag | delta AU | r AU | line |')
        out.append('|---|---:|---:|---:|---:|---:|---:|---|')
        for i in sorted(ok, key=lambda i: -results[i][0])[:worst_n]:
            r = rows[i]
            sep, dmag, delta, rr = results[i]
            out.append('| %s | %.6f | %s | %.4f | %+.4f | %.3f | %.3f | `%s` |' % (
                r['kind'], r['jd_tt'], r['hours'], sep, dmag, delta, rr,
                r['line'].rstrip()))
        out.append('')
    return '\n'.join(out)


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('lines', help='tab-separated input file')
    ap.add_argument('--worst', type=int, default=10, help='worst rows to list')
    ap.add_argument('--out', help='also write the Markdown report here')
    ap.add_argument('--csv', help='write per-row results here')
    ap.add_argument('--max-arcsec', type=float,
                    help='exit 2 when any separation exceeds this')
    ap.add_argument('--max-mag', type=float,
                    help='exit 2 when any magnitude difference exceeds this')
    args = ap.parse_args()

    rows = read_rows(args.lines)
    unique_lines = list(dict.fromkeys(r['line'] for r in rows))
    notes = []
    df, parser_name = parse_lines(unique_lines, notes)
    bad = refused_mask(df)

    ts = load.timescale()  # bundled tables, no download
    earth = _ErfaBody(399)
    sun = _ErfaBody(10)

    by_line = {}
    for i, r in enumerate(rows):
        by_line.setdefault(r['line'], []).append(i)

    results = [None] * len(rows)
    errors = []
    caught = warnings.catch_warnings(record=True)
    erfa_warnings = caught.__enter__()
    warnings.simplefilter('always')
    for k, line in enumerate(unique_lines):
        idx = by_line[line]
        if bad[k]:
            errors.append((line, 'parser misread the line'))
            continue
        row = df.iloc[k]
        try:
            comet = mpc.comet_orbit(row, ts, GM_SUN_Pitjeva_2005_km3_s2)
            body = sun + comet  # barycentre -> Sun -> comet
            t = ts.tt_jd(np.array([rows[i]['jd_tt'] for i in idx]))
            astrometric = earth.at(t).observe(body)
            pos = np.asarray(astrometric.position.au).reshape(3, -1)
            delta = np.sqrt(np.sum(pos * pos, axis=0))
            # heliocentric distance when the light left the comet
            lt = np.atleast_1d(astrometric.light_time)
            t_emit = ts.tdb_jd(t.whole, t.tdb_fraction - lt)
            hp = np.asarray(comet.at(t_emit).position.au).reshape(3, -1)
            rr = np.sqrt(np.sum(hp * hp, axis=0))
            mag = (float(row['magnitude_g']) + 5.0 * np.log10(delta)
                   + 2.5 * float(row['magnitude_k']) * np.log10(rr))
            seps = separation_arcsec(pos, [rows[i]['ra_deg'] for i in idx],
                                     [rows[i]['dec_deg'] for i in idx])
            for j, i in enumerate(idx):
                results[i] = (float(seps[j]), float(mag[j] - rows[i]['magnitude']),
                              float(delta[j]), float(rr[j]))
        except Exception as exc:
            errors.append((line, '%s: %s' % (type(exc).__name__, exc)))
    caught.__exit__(None, None, None)

    meta = [
        ('input rows', '%d (%d distinct lines)' % (len(rows), len(unique_lines))),
        ('skyfield', skyfield.__version__),
        ('parser used', parser_name),
        ('orbit', 'skyfield.data.mpc.comet_orbit, GM_SUN_Pitjeva_2005_km3_s2 = %r km^3/s^2'
         % GM_SUN_Pitjeva_2005_km3_s2),
        ('propagation', 'skyfield.keplerlib.propagate (universal-variable two-body)'),
        ('ecliptic rotation', "inertial_frames['ECLIPJ2000'], obliquity %.4f arcsec"
         % obliquity_arcsec()),
        ('Earth and Sun', 'ERFA epv00 (barycentric Earth; Sun = pvb - pvh), TDB from Skyfield Time'),
        ('light time', 'Skyfield Barycentric.observe() of (Sun + comet)'),
        ('magnitude', 'H + 5 log10(delta) + 2.5 K log10(r), r at emission time'),
    ]
    for n in notes:
        meta.append(('note', n))
    if erfa_warnings:
        counts = {}
        for w in erfa_warnings:
            key = '%s: %s' % (w.category.__name__, str(w.message)[:110])
            counts[key] = counts.get(key, 0) + 1
        for key, c in sorted(counts.items(), key=lambda kv: -kv[1]):
            meta.append(('warning (%d calls)' % c, key))
        meta.append(('warning context', 'epv00 is evaluated at emission '
                     'times, up to ~580 d before the observation'))
    if errors:
        meta.append(('lines not computed', str(len(errors))))
        for line, why in errors[:5]:
            meta.append(('  example', '`%s` -> %s' % (line.rstrip(), why)))

    text = report(rows, results, meta, args.worst)
    print(text)
    if args.out:
        with open(args.out, 'w') as f:
            f.write(text + '\n')
    if args.csv:
        with open(args.csv, 'w', newline='') as f:
            w = csv.writer(f)
            w.writerow(['kind', 'jd_tt', 'hours', 'sep_arcsec', 'dmag', 'delta_au', 'r_au'])
            for r, res in zip(rows, results):
                w.writerow([r['kind'], '%.6f' % r['jd_tt'], r['hours']]
                           + (['%.6f' % res[0], '%.5f' % res[1], '%.6f' % res[2],
                               '%.6f' % res[3]] if res else ['', '', '', '']))
    if errors:
        return 1
    beyond = [res for res in results if res is not None and (
        (args.max_arcsec is not None and res[0] > args.max_arcsec) or
        (args.max_mag is not None and abs(res[1]) > args.max_mag))]
    if beyond:
        print('%d rows beyond the limits' % len(beyond), file=sys.stderr)
        return 2
    return 0


if __name__ == '__main__':
    sys.exit(main())
