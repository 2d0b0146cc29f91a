#!/usr/bin/env python3
"""Reads back a run of scripts/lib/misbehave.sh: the simulator's records, its events and
Brixtel's Export View log, and says whether "MISSING" stands exactly where answers were lost.

Each value the simulator sent is a serial number (incarnation * 1000000 + the count of reads it
had answered before), so every cell of the log names the request it answered. The requests are
cut into poll ticks (the blocks of a tick come in table order), each row of the log is matched to
the latest tick its values come from, and every cell is judged:

- a value: it must be the answer to a request for that very block (else it came from elsewhere);
- "MISSING": the request of that tick was dropped, delayed, met silence, or never reached the
  simulator (it was down); or it was answered in time but Brixtel took it after the next tick
  (then its value shows in a later row, or the next value in its column, within 20 ticks, is
  another answer for the point, which overwrote it); an answer that went out and is found
  nowhere, while its column shows no other value in the next 20 ticks, is lost; unless its row
  is the last one logged (logging stopped before a late answer could reach a row).

And the other way round: every answer that went out in time is in the log, or the point's
cell holds another answer there (a late one, or its next one); otherwise it was lost.

It also times how long Brixtel took to take a value again after each outage (a restart or a
silence): from the moment the server was back to the request of the first value in the log made
after it. And it counts reconnects (a connstat followed at once by a feature username: the first
requests of a new connection). Prints key=value lines, then FAULT lines; exit 1 when a fault was
found.
"""
import argparse
import bisect
import calendar
import glob
import os
import sys

ANSWERED = ("answered", "delayed", "cancel")  # a datagram went out, so a serial was used
EXPLAINED = ("dropped", "delayed", "silent", "unanswered")


def read_events(run_dir):
    events = []
    with open(os.path.join(run_dir, "events")) as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2:
                events.append((float(parts[0]), parts[1], parts[2:]))
    return events


def read_records(run_dir, events):
    """Every request of every incarnation in arrival order:
    (epoch, incarnation, disposition, request text)."""
    requests = []
    for start in (e for e in events if e[1] == "start"):
        n = int(start[2][0])
        name = "%04d" % n
        epoch = os.stat(os.path.join(run_dir, "ready." + name)).st_mtime
        path = os.path.join(run_dir, "record." + name)
        if not os.path.exists(path):
            continue
        with open(path, encoding="latin-1") as f:
            for line in f:
                fields = line.rstrip("\n").split("\t")
                if len(fields) == 5:
                    requests.append((epoch + float(fields[0]), n, fields[3], fields[4]))
    return requests


def cut_ticks(requests):
    """Reads cut into ticks. serials: serial -> (tick, block); ticks: list of {block: (disp,
    serial or None)}; tick_times and last_reads: epoch of each tick's first and last read."""
    serials, ticks, tick_times, tick_incarnation, last_reads = {}, [], [], [], []
    counters = {}
    previous_block, previous_incarnation = None, None
    for epoch, n, disposition, text in requests:
        if " read output " not in text:
            continue
        try:
            # "<window>,<id> read output <loop> <pcu> <module> <block>[ from <user>]"
            block = int(text.split(" read output ")[1].split()[3])
        except (IndexError, ValueError):
            continue
        if n != previous_incarnation or previous_block is None or block <= previous_block:
            ticks.append({})
            tick_times.append(epoch)
            tick_incarnation.append(n)
            last_reads.append(None)
        previous_block, previous_incarnation = block, n
        last_reads[-1] = epoch
        serial = None
        if disposition in ANSWERED:
            count = counters.get(n, 0)
            counters[n] = count + 1
            serial = n * 1000000 + count
            serials[serial] = (len(ticks) - 1, block, epoch, disposition)
        ticks[-1][block] = (disposition, serial)
    return serials, ticks, tick_times, tick_incarnation, last_reads


def request_time(date_text, time_text):
    """Seconds since the epoch of a row's date (M/D/YYYY) and request time (H:MM:SS.mmm AM),
    read as UTC; None when they are not in that form."""
    try:
        month, day, year = (int(x) for x in date_text.split("/"))
        clock, _, half = time_text.partition(" ")
        hours, minutes, seconds = clock.split(":")
        hours = int(hours) % 12 + (12 if half.upper() == "PM" else 0)
        day_start = calendar.timegm((year, month, day, 0, 0, 0))
        return day_start + hours * 3600 + int(minutes) * 60 + float(seconds)
    except ValueError:
        return None


def read_rows(paths, points):
    """The rows and the request time of each."""
    rows, times = [], []
    for path in paths:
        with open(path, encoding="latin-1") as f:
            for line in f:
                line = line.rstrip("\r\n")
                if not line or line.startswith(",") or line.startswith("Date,"):
                    continue
                fields = line.split(",")
                rows.append(fields[2:2 + points])
                times.append(request_time(fields[0], fields[1]) if len(fields) > 2 else None)
    return rows, times


def cell_serial(cell):
    try:
        value = float(cell)
    except ValueError:
        return None
    return int(round(value))


def other_value(row, block, serial):
    """Whether the row holds another answer than `serial` for the block: one that came after
    it in the same cycle (the point's next answer, or a delayed older one) and overwrote it."""
    if block > len(row):
        return False
    other = cell_serial(row[block - 1])
    return other is not None and other != serial


# Ticks after its own in which a late answer may still be overwritten: when Brixtel falls behind
# (a starved main thread takes a tick's answers over several cycles), a column stays MISSING
# until it catches up and takes several answers for the point in one cycle.
CATCH_UP_TICKS = 20


def other_next(rows, row_ticks, index, column, serial, tick):
    """Whether the first of the rows after `index`, up to CATCH_UP_TICKS after `tick`, that
    holds a value for the column holds another answer than `serial` (which may then have
    overwritten it)."""
    for later in range(index + 1, len(rows)):
        if row_ticks[later] is not None and row_ticks[later] - tick > CATCH_UP_TICKS:
            break
        if column < len(rows[later]) and rows[later][column] != "MISSING":
            return other_value(rows[later], column + 1, serial)
    return False


def percentile(values, share):
    if not values:
        return None
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]


def milliseconds(value):
    return "-" if value is None else "%.1f" % (value * 1000)


def tick_timing(ticks, tick_times, last_read, late_cells):
    """How the ticks look from the simulator, and where in its tick each answer Brixtel took
    late stood: period (first read to the next tick's first), sending (first read to the
    tick's last), slack (last read to the next tick's first), the late cells by their read's
    place in the tick (1-10, 11-20, ...) and the time from each late cell's read to the next
    tick."""
    periods, sending, slack = [], [], []
    for t in range(len(ticks) - 1):
        if last_read[t] is not None:
            periods.append(tick_times[t + 1] - tick_times[t])
            sending.append(last_read[t] - tick_times[t])
            slack.append(tick_times[t + 1] - last_read[t])
    figures = {}
    for name, values in (("period", periods), ("sending", sending), ("slack", slack)):
        for label, share in (("median", 0.5), ("p10", 0.1), ("p90", 0.9), ("p99", 0.99)):
            figures["tick_%s_ms_%s" % (name, label)] = milliseconds(percentile(values, share))
    places = [0] * 5
    to_next = []
    for tick, block, epoch in late_cells:
        order = sorted(ticks[tick])
        place = order.index(block) if block in order else len(order) - 1
        places[min(place // 10, 4)] += 1
        if tick + 1 < len(tick_times):
            to_next.append(tick_times[tick + 1] - epoch)
    figures["late_by_place"] = "/".join(str(p) for p in places)
    figures["late_read_to_next_tick_ms_median"] = milliseconds(percentile(to_next, 0.5))
    figures["late_read_to_next_tick_ms_p10"] = milliseconds(percentile(to_next, 0.1))
    return figures


def outages(events):
    """(epoch the server was back, what) for every restart and every end of a silence."""
    back = []
    silent = False
    for epoch, kind, rest in events:
        if kind == "silent":
            silent = True
        elif kind == "resume":
            silent = False
            back.append((epoch, "silence"))
        elif kind == "start" and rest[0] != "1" and not silent:
            back.append((epoch, "restart"))
    return back


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--run-dir", required=True)
    parser.add_argument("--log", action="append", default=[])
    parser.add_argument("--points", type=int, default=50)
    parser.add_argument("--bound", type=float, default=40.0,
                        help="seconds Brixtel may take to be served again after an outage")
    args = parser.parse_args()

    events = read_events(args.run_dir)
    requests = read_records(args.run_dir, events)
    serials, ticks, tick_times, tick_incarnation, last_reads = cut_ticks(requests)
    paths = sorted(p for pattern in args.log for p in glob.glob(pattern))
    rows, row_times = read_rows(paths, args.points)
    faults = []
    figures = {}

    reads = [r for r in requests if " read output " in r[3]]
    for disposition in ("answered", "dropped", "delayed", "silent", "unanswered", "cancel"):
        figures["reads_" + disposition] = sum(1 for r in reads if r[2] == disposition)
    figures["reads"] = len(reads)
    figures["ticks"] = len(ticks)
    figures["incarnations"] = len({r[1] for r in requests})

    # Where each logged serial stands, for answers that came after the next tick.
    shown_at = {}
    row_ticks = []
    for index, row in enumerate(rows):
        latest = None
        for cell in row:
            serial = cell_serial(cell)
            if serial is not None and serial in serials:
                shown_at[serial] = index
                # A delayed answer belongs to an earlier tick: it would place the row there.
                if serials[serial][3] == "delayed":
                    continue
                tick = serials[serial][0]
                latest = tick if latest is None else max(latest, tick)
        row_ticks.append(latest)

    # The request time of a row names its tick more surely than its values, which may all be
    # late when Brixtel was slow to take them. The log's clock is local time: its offset from
    # the records' is the commonest difference over rows whose values place them.
    differences = sorted(round((tick_times[t] - row_times[i]) / 900) * 900
                         for i, t in enumerate(row_ticks)
                         if t is not None and row_times[i] is not None)
    if differences:
        offset = differences[len(differences) // 2]
        by_values = row_ticks
        row_ticks = []
        for index, when in enumerate(row_times):
            if when is None:
                row_ticks.append(by_values[index])
                continue
            # The first tick that reached the simulator at or after the row's request time,
            # allowing for the clocks' different resolutions.
            tick = bisect.bisect_left(tick_times, when + offset - 0.02)
            row_ticks.append(tick if tick < len(ticks) and
                             tick_times[tick] - (when + offset) < 0.08 else None)
        figures["rows_placed_otherwise_by_time"] = sum(
            1 for a, b in zip(by_values, row_ticks) if a is not None and a != b)

    count = {k: 0 for k in ("values", "values_late", "missing", "missing_dropped",
                            "missing_delayed", "missing_silent", "missing_unanswered",
                            "missing_not_received_down", "missing_not_received_up",
                            "missing_taken_late", "missing_late_overwritten", "missing_lost", "foreign", "other",
                            "rows_unmatched", "superseded", "complete",
                            "missing_unmatched_row", "missing_after_last_row")}
    first_lost = []
    late_cells = []  # (tick, block, epoch of the read) of each MISSING taken late
    for index, row in enumerate(rows):
        tick = row_ticks[index]
        if tick is None:
            count["rows_unmatched"] += 1
        if len(row) == args.points and "MISSING" not in row:
            count["complete"] += 1
        for column, cell in enumerate(row):
            block = column + 1
            if cell == "MISSING":
                count["missing"] += 1
                if tick is None:
                    count["missing_unmatched_row"] += 1
                    continue
                disposition, serial = ticks[tick].get(block, (None, None))
                if disposition is None:
                    # The first and last tick of an incarnation straddle a restart.
                    edge = (tick + 1 >= len(ticks) or tick == 0 or
                            tick_incarnation[tick - 1] != tick_incarnation[tick] or
                            tick_incarnation[tick + 1] != tick_incarnation[tick])
                    count["missing_not_received_down" if edge else "missing_not_received_up"] += 1
                elif disposition in EXPLAINED:
                    count["missing_" + disposition] += 1
                elif serial is not None and shown_at.get(serial, -1) > index:
                    count["missing_taken_late"] += 1
                    late_cells.append((tick, block, serials[serial][2]))
                elif serial is not None and other_next(rows, row_ticks, index, column, serial, tick):
                    # Taken after the next tick and overwritten, in the cycle that took it, by
                    # another answer for the point: late, but which came first cannot be told.
                    count["missing_late_overwritten"] += 1
                    late_cells.append((tick, block, serials[serial][2]))
                elif index == len(rows) - 1:
                    # The last row: logging stopped before a late answer could reach a row.
                    count["missing_after_last_row"] += 1
                else:
                    count["missing_lost"] += 1
                    if len(first_lost) < 5:
                        first_lost.append("row %d block %d: %s serial %s" %
                                          (index + 1, block, disposition, serial))
                continue
            serial = cell_serial(cell)
            if serial is None:
                count["other"] += 1
                continue
            where = serials.get(serial)
            if where is None or where[1] != block:
                count["foreign"] += 1
                if count["foreign"] <= 5:
                    faults.append("row %d block %d holds %s, which no answer for that block "
                                  "carried" % (index + 1, block, cell))
                continue
            count["values"] += 1
            if tick is not None and where[0] < tick:
                count["values_late"] += 1
        if tick is not None:
            for block, (disposition, serial) in ticks[tick].items():
                if (disposition == "answered" and block <= args.points and block <= len(row)
                        and row[block - 1] != "MISSING" and cell_serial(row[block - 1]) != serial):
                    count["superseded"] += 1
    figures.update(count)
    figures["rows"] = len(rows)
    figures.update(tick_timing(ticks, tick_times, last_reads, late_cells))

    # Ticks inside the logged span that answered something but have no row of their own.
    matched = sorted(set(t for t in row_ticks if t is not None))
    row_of_tick = {}
    for index, tick in enumerate(row_ticks):
        if tick is not None:
            row_of_tick.setdefault(tick, index)
    lost = at_end = 0
    if matched:
        span = range(matched[0], matched[-1] + 1)
        answered_ticks = [t for t in span
                          if any(d == "answered" for d, _ in ticks[t].values())]
        figures["ticks_logged_span"] = len(span)
        figures["ticks_answered_without_row"] = sum(1 for t in answered_ticks
                                                    if t not in row_of_tick)
        figures["seconds_logged_span"] = "%.1f" % (tick_times[matched[-1]] - tick_times[matched[0]])
        # Every answer that went out in time, within the logged span, is in the log, or the
        # point's cell there holds another answer (a late one, or its next one).
        next_row = {}
        following = len(rows)
        for tick in range(matched[-1], matched[0] - 1, -1):
            if tick in row_of_tick:
                following = row_of_tick[tick]
            next_row[tick] = following
        for tick in span:
            own = row_of_tick.get(tick)
            for block, (disposition, serial) in ticks[tick].items():
                if disposition != "answered" or block > args.points or serial in shown_at:
                    continue
                if own is not None and rows[own][block - 1] != "MISSING":
                    continue  # overwritten in its own cycle by a late answer
                later = next_row.get(tick + 1, len(rows)) if own is None else own + 1
                if later >= len(rows):
                    at_end += 1  # it came after the last row was written
                    continue
                if other_next(rows, row_ticks, later - 1, block - 1, serial, tick):
                    continue  # taken late and overwritten by another answer for the point
                lost += 1
                if lost <= 5:
                    faults.append("the answer to block %d of tick %d (serial %d, %.3f) is in "
                                  "no row" % (block, tick, serial, tick_times[tick]))
    figures["answers_lost"] = lost
    figures["answers_after_last_row"] = at_end

    for line in first_lost:
        faults.append("a MISSING the simulator did not cause: " + line)

    # Served again after each outage: the first value in the log that answered a request made
    # after the server was back.
    taken_times = sorted(serials[s][2] for s in shown_at)
    recoveries = []
    last_event = events[-1][0] if events else 0
    for epoch, what in outages(events):
        i = bisect.bisect_left(taken_times, epoch)
        if i < len(taken_times):
            recoveries.append((taken_times[i] - epoch, what, epoch))
        elif last_event - epoch > args.bound:
            recoveries.append((float("inf"), what, epoch))
    figures["outages"] = len(recoveries)
    for what in ("restart", "silence"):
        spans = [r[0] for r in recoveries if r[1] == what]
        figures["back_after_" + what + "_max_s"] = "%.1f" % max(spans) if spans else "-"
        figures["back_after_" + what + "_mean_s"] = ("%.1f" % (sum(spans) / len(spans))
                                                     if spans else "-")
    for span, what, epoch in recoveries:
        if span > args.bound:
            faults.append("no value taken for %.1f s after the %s ended at %.0f" % (span, what, epoch))

    # Reconnects: a connstat followed at once by a feature username from the same place.
    reconnects = 0
    previous = None
    for epoch, n, disposition, text in requests:
        if " feature username " in text and previous is not None and " connstat " in previous:
            reconnects += 1
        previous = text
    figures["connections"] = reconnects
    figures["reconnects"] = max(reconnects - 1, 0)

    if figures["foreign"]:
        faults.append("%d values came from no answer for their block" % figures["foreign"])
    if figures["missing_lost"]:
        faults.append("%d MISSING cells where the answer went out in time and is nowhere"
                      % figures["missing_lost"])
    if figures["answers_lost"]:
        faults.append("%d answers went out in time and are in no row" % figures["answers_lost"])
    if not rows:
        faults.append("no row was logged")

    for key, value in figures.items():
        print("%s=%s" % (key, value))
    for fault in faults:
        print("FAULT " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
