// Read Celestra comet-element lines with the astronomia library and report
// where the body appears from the Earth's centre.
//
// Input: a tab-separated file with the header
//     kind  jd_tt  hours  ra_deg  dec_deg  magnitude  line
//
// astronomia has no reader for comet-element lines, so the fixed columns are
// cut here (plain substring + Number, no rounding).  Everything after that is
// astronomia's: elliptic.Elements (Meeus ch. 33: ecliptic-to-equator
// constants base.SOblJ2000 / base.COblJ2000, Kepler's equation by
// kepler.kepler2b, falling back to kepler.kepler3), the Sun's geocentric
// J2000 position from solarxyz.positionJ2000 fed by the VSOP87B Earth
// (planetposition.Planet(data.vsop87Bearth)), and the light-time step inside
// elliptic.astrometricJ2000.
//
// Usage:
//     node astronomia_reader.mjs LINES.tsv [--worst N] [--out REPORT.md]
//          [--csv PER_ROW.csv]

import fs from 'node:fs'
import { createRequire } from 'node:module'
import base from 'astronomia/base'
import elliptic from 'astronomia/elliptic'
import julian from 'astronomia/julian'
import kepler from 'astronomia/kepler'
import planetposition from 'astronomia/planetposition'
import solarxyz from 'astronomia/solarxyz'
import vsop87Bearth from 'astronomia/data/vsop87Bearth'

const require = createRequire(import.meta.url)
const astronomiaVersion = require('astronomia/package.json').version

const ASEC_PER_RAD = 180 * 3600 / Math.PI
const D2R = Math.PI / 180

function usage (msg) {
  if (msg) console.error(msg)
  console.error('usage: node astronomia_reader.mjs LINES.tsv [--worst N] [--out REPORT.md] [--csv PER_ROW.csv]' +
    ' [--max-arcsec A] [--max-mag M]')
  process.exit(2)
}

function parseArgs (argv) {
  const a = { worst: 10 }
  for (let i = 0; i < argv.length; i++) {
    const v = argv[i]
    if (v === '--worst') a.worst = parseInt(argv[++i], 10)
    else if (v === '--out') a.out = argv[++i]
    else if (v === '--csv') a.csv = argv[++i]
    else if (v === '--max-arcsec') a.maxArcsec = Number(argv[++i])
    else if (v === '--max-mag') a.maxMag = Number(argv[++i])
    else if (v.startsWith('--')) usage('unknown option ' + v)
    else if (!a.lines) a.lines = v
    else usage('too many arguments')
  }
  if (!a.lines) usage()
  return a
}

function readRows (path) {
  const text = fs.readFileSync(path, 'latin1')
  const lines = text.split('\n').filter(l => l.length > 0)
  const head = lines[0].replace(/\r$/, '').split('\t')
  const need = ['kind', 'jd_tt', 'hours', 'ra_deg', 'dec_deg', 'magnitude', 'line']
  for (const n of need) if (!head.includes(n)) usage('missing column ' + n)
  const col = Object.fromEntries(head.map((h, i) => [h, i]))
  return lines.slice(1).map(l => {
    const f = l.replace(/\r$/, '').split('\t')
    return {
      kind: f[col.kind],
      jd: Number(f[col.jd_tt]),
      hours: f[col.hours],
      ra: Number(f[col.ra_deg]),
      dec: Number(f[col.dec_deg]),
      mag: Number(f[col.magnitude]),
      line: f[col.line]
    }
  })
}

// 1-based inclusive columns of the comet-elements line
function field (line, a, b) {
  return line.substring(a - 1, b)
}

function num (s) {
  const t = s.trim()
  if (t === '' || !/^[-+]?(\d+\.?\d*|\.\d+)$/.test(t)) return NaN
  return Number(t)
}

function parseLine (line) {
  const el = {
    designation: field(line, 5, 12).trim(),
    year: num(field(line, 15, 18)),
    month: num(field(line, 20, 21)),
    day: num(field(line, 23, 29)),
    q: num(field(line, 31, 39)),
    e: num(field(line, 42, 49)),
    peri: num(field(line, 52, 59)),
    node: num(field(line, 62, 69)),
    incl: num(field(line, 72, 79)),
    H: num(field(line, 92, 95)),
    K: num(field(line, 97, 100)),
    name: line.length >= 103 ? line.substring(102).trim() : ''
  }
  const problems = []
  for (const k of ['year', 'month', 'day', 'q', 'e', 'peri', 'node', 'incl', 'H', 'K']) {
    if (!Number.isFinite(el[k])) problems.push(k + ' unreadable')
  }
  if (line.length >= 30 && field(line, 30, 30) !== ' ') {
    problems.push('column 30 not blank: q spills out of columns 31-39')
  }
  if (Number.isFinite(el.e) && el.e >= 1) problems.push('e >= 1: not an ellipse')
  return { el, problems }
}

function unit (raDeg, decDeg) {
  const ra = raDeg * D2R
  const dec = decDeg * D2R
  return [Math.cos(dec) * Math.cos(ra), Math.cos(dec) * Math.sin(ra), Math.sin(dec)]
}

function sepArcsec (u, v) {
  const cx = u[1] * v[2] - u[2] * v[1]
  const cy = u[2] * v[0] - u[0] * v[2]
  const cz = u[0] * v[1] - u[1] * v[0]
  const dot = u[0] * v[0] + u[1] * v[1] + u[2] * v[2]
  return Math.atan2(Math.hypot(cx, cy, cz), dot) * ASEC_PER_RAD
}

// The same heliocentric J2000-equatorial function that
// elliptic.Elements.prototype.position builds (Meeus 33.6-33.9), with the
// same astronomia calls, but recording the last vector it returned so the
// distances needed for the magnitude can be read back; astronomia's own
// position() does not expose them.
function recordingOrbit (E) {
  const n = base.K / E.axis / Math.sqrt(E.axis)
  const sε = base.SOblJ2000
  const cε = base.COblJ2000
  const [sΩ, cΩ] = base.sincos(E.node)
  const [si, ci] = base.sincos(E.inc)
  const F = cΩ
  const G = sΩ * cε
  const Hh = sΩ * sε
  const P = -sΩ * ci
  const Q = cΩ * ci * cε - si * sε
  const R = cΩ * ci * sε + si * cε
  const A = Math.atan2(F, P)
  const B = Math.atan2(G, Q)
  const C = Math.atan2(Hh, R)
  const a = Math.hypot(F, P)
  const b = Math.hypot(G, Q)
  const c = Math.hypot(Hh, R)
  const rec = { last: null }
  rec.f = (jde) => {
    const M = n * (jde - E.timeP)
    let Ea
    try {
      Ea = kepler.kepler2b(E.ecc, M, 15)
    } catch (err) {
      Ea = kepler.kepler3(E.ecc, M)
    }
    const ν = kepler.trueAnomaly(Ea, E.ecc)
    const r = kepler.radius(Ea, E.ecc, E.axis)
    const x = r * a * Math.sin(A + E.argP + ν)
    const y = r * b * Math.sin(B + E.argP + ν)
    const z = r * c * Math.sin(C + E.argP + ν)
    rec.last = { x, y, z, jde }
    return { x, y, z }
  }
  return rec
}

function median (xs) {
  const s = [...xs].sort((p, q) => p - q)
  const m = s.length >> 1
  return s.length % 2 ? s[m] : 0.5 * (s[m - 1] + s[m])
}

function f4 (x) {
  return Number.isFinite(x) ? x.toFixed(4) : 'n/a'
}

function main () {
  const args = parseArgs(process.argv.slice(2))
  const rows = readRows(args.lines)
  const earth = new planetposition.Planet(vsop87Bearth)

  const parsed = new Map()
  for (const r of rows) if (!parsed.has(r.line)) parsed.set(r.line, parseLine(r.line))

  const results = new Array(rows.length).fill(null)
  const refused = []
  let maxSelfDiff = 0 // recording replica vs Elements.position, arcsec
  let kepler3Used = 0
  for (let i = 0; i < rows.length; i++) {
    const row = rows[i]
    const { el, problems } = parsed.get(row.line)
    if (problems.length) {
      refused.push({ row, why: problems.join('; ') })
      continue
    }
    const timeP = julian.CalendarGregorianToJD(el.year, el.month, el.day)
    const axis = el.q / (1 - el.e)
    // Positional arguments on purpose: the object form of the constructor
    // uses `o.ecc || ecc`, which turns an eccentricity of 0 into undefined.
    const E = new elliptic.Elements(axis, el.e, el.incl * D2R, el.peri * D2R,
      el.node * D2R, timeP)
    if (E.ecc !== el.e) {
      refused.push({ row, why: 'Elements dropped the eccentricity' })
      continue
    }
    const pos = E.position(row.jd, earth)
    // Same computation again through the recording replica (for Δ and r).
    const rec = recordingOrbit(E)
    try { kepler.kepler2b(E.ecc, base.K / axis / Math.sqrt(axis) * (row.jd - timeP), 15) } catch (err) { kepler3Used++ }
    const pos2 = elliptic.astrometricJ2000(rec.f, row.jd, earth)
    const u = unit(pos.ra / D2R, pos.dec / D2R)
    const u2 = unit(pos2.ra / D2R, pos2.dec / D2R)
    maxSelfDiff = Math.max(maxSelfDiff, sepArcsec(u, u2))
    const sol = solarxyz.positionJ2000(earth, row.jd)
    const h = rec.last // heliocentric, at the emission time used
    const rHel = Math.hypot(h.x, h.y, h.z)
    const delta = Math.hypot(sol.x + h.x, sol.y + h.y, sol.z + h.z)
    const mag = el.H + 5 * Math.log10(delta) + 2.5 * el.K * Math.log10(rHel)
    const sep = sepArcsec(u, unit(row.ra, row.dec))
    results[i] = { sep, dmag: mag - row.mag, delta, r: rHel }
  }

  const oblEl = Math.atan2(base.SOblJ2000, base.COblJ2000) * ASEC_PER_RAD
  const oblSun = Math.atan2(0.397776982902, 0.917482137087) * ASEC_PER_RAD
  const out = []
  out.push('# astronomia reader', '')
  const meta = [
    ['input rows', `${rows.length} (${parsed.size} distinct lines)`],
    ['astronomia', astronomiaVersion],
    ['parser', 'fixed columns cut in this script (astronomia has no comet-line parser)'],
    ['orbit', 'elliptic.Elements(a = q/(1-e), e, i, ω, Ω, T = julian.CalendarGregorianToJD(perihelion date)).position(jde, earth); mean motion base.K / a^1.5, K = ' + base.K],
    ['Kepler solver', 'kepler.kepler2b(e, M, 15 places), kepler.kepler3 on failure (' + kepler3Used + ' rows needed it)'],
    ['ecliptic to equator (comet)', `base.SOblJ2000 = ${base.SOblJ2000}, base.COblJ2000 = ${base.COblJ2000}: obliquity ${oblEl.toFixed(4)} arcsec`],
    ['Earth / Sun', 'VSOP87B Earth (data/vsop87Bearth), solarxyz.positionJ2000: geocentric Sun, Meeus (26.3) VSOP-to-FK5 J2000 matrix (its y/z terms imply ' + oblSun.toFixed(4) + ' arcsec)'],
    ['light time', 'elliptic.astrometricJ2000: one step, τ = base.lightTime(Δ) = 0.0057755183 d/AU × Δ from the unretarded position, then the comet recomputed at jde − τ (no further iteration); the Sun is not retarded (heliocentric, not barycentric)'],
    ['magnitude', 'H + 5 log10(Δ) + 2.5 K log10(r); Δ and r from a replica of Elements.position that records its vector (largest direction difference from Elements.position: ' + maxSelfDiff.toExponential(2) + ' arcsec)'],
    ['lines refused', String(new Set(refused.map(x => x.row.line)).size) + ' distinct (' + refused.length + ' rows)']
  ]
  for (const [k, v] of meta) out.push(`- ${k}: ${v}`)
  for (const x of refused.slice(0, 5)) out.push(`  - \`${x.row.line}\`: ${x.why}`)
  out.push('')
  out.push('## Separation from (ra_deg, dec_deg), arcsec; magnitude difference (predicted - wanted)', '')
  out.push('| kind | hours | rows | median sep | max sep | max abs dmag |')
  out.push('|---|---|---:|---:|---:|---:|')
  const kinds = [...new Set(rows.map(r => r.kind))].sort()
  const hours = [...new Set(rows.map(r => r.hours))].sort((p, q) => Number(p) - Number(q))
  for (const kind of kinds) {
    for (const hh of [...hours, 'all']) {
      const idx = []
      let nAll = 0
      rows.forEach((r, i) => {
        if (r.kind === kind && (hh === 'all' || r.hours === hh)) {
          nAll++
          if (results[i]) idx.push(i)
        }
      })
      if (!nAll) continue
      const label = idx.length === nAll ? String(nAll) : `${idx.length}/${nAll}`
      const hl = hh === 'all' ? '**all**' : hh
      if (!idx.length) { out.push(`| ${kind} | ${hl} | ${label} | n/a | n/a | n/a |`); continue }
      const seps = idx.map(i => results[i].sep)
      const dm = idx.map(i => Math.abs(results[i].dmag))
      out.push(`| ${kind} | ${hl} | ${label} | ${f4(median(seps))} | ${f4(Math.max(...seps))} | ${f4(Math.max(...dm))} |`)
    }
  }
  out.push('')
  const ok = results.map((r, i) => i).filter(i => results[i])
  if (ok.length) {
    const wm = ok.reduce((p, i) => Math.abs(results[i].dmag) > Math.abs(results[p].dmag) ? i : p, ok[0])
    const r = rows[wm]
    out.push(`Worst magnitude difference: ${results[wm].dmag >= 0 ? '+' : ''}${results[wm].dmag.toFixed(4)} (predicted ${(r.mag + results[wm].dmag).toFixed(4)}, wanted ${r.mag.toFixed(3)}; kind ${r.kind}, jd_tt ${r.jd.toFixed(6)}, hours ${r.hours})`, '')
    out.push('## Worst rows by separation', '')
    out.push('| kind | jd_tt | hours | sep arcsec | dmag | delta AU | r AU | line |')
    out.push('|---|---:|---:|---:|---:|---:|---:|---|')
    const worst = [...ok].sort((p, q) => results[q].sep - results[p].sep).slice(0, args.worst)
    for (const i of worst) {
      const r = rows[i]
      const x = results[i]
      out.push(`| ${r.kind} | ${r.jd.toFixed(6)} | ${r.hours} | ${x.sep.toFixed(4)} | ${x.dmag >= 0 ? '+' : ''}${x.dmag.toFixed(4)} | ${x.delta.toFixed(3)} | ${x.r.toFixed(3)} | \`${r.line.trimEnd()}\` |`)
    }
    out.push('')
  }
  const text = out.join('\n')
  console.log(text)
  if (args.out) fs.writeFileSync(args.out, text + '\n')
  if (args.csv) {
    const lines = ['kind,jd_tt,hours,sep_arcsec,dmag,delta_au,r_au']
    rows.forEach((r, i) => {
      const x = results[i]
      lines.push([r.kind, r.jd.toFixed(6), r.hours].concat(x
        ? [x.sep.toFixed(6), x.dmag.toFixed(5), x.delta.toFixed(6), x.r.toFixed(6)]
        : ['', '', '', '']).join(','))
    })
    fs.writeFileSync(args.csv, lines.join('\n') + '\n')
  }
  // 1: a line could not be read; 2: a row beyond --max-arcsec or --max-mag.
  const beyond = results.filter(x => x &&
    ((args.maxArcsec !== undefined && x.sep > args.maxArcsec) ||
     (args.maxMag !== undefined && Math.abs(x.dmag) > args.maxMag)))
  if (beyond.length) console.error(`${beyond.length} rows beyond the limits`)
  process.exitCode = refused.length ? 1 : beyond.length ? 2 : 0
}

main()
