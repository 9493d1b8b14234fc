#!/usr/bin/env python3
"""Writes the example files of this folder: a small power plant seen through
its sensors.

plant_sensors_fr.csv / plant_sensors_intl.csv
    Synchronous layout: one row every 5 minutes, 31 sensors, a few missing
    cells. French dialect (";" and decimal comma) and International dialect
    ("," and decimal point).
plant_log_fr.csv / plant_log_intl.csv
    Asynchronous layout: one measurement per line (sensor, time, value), each
    sensor sampled at its own irregular times. French dialect (tabulations and
    decimal comma) and International dialect ("," and decimal point).

Run it with python3 from any folder; the output is the same on every run.
"""

import math
import os
import random
from datetime import datetime, timedelta

HERE = os.path.dirname(os.path.abspath(__file__))
START = datetime(2014, 3, 24)  # spans a daylight-saving change in Europe
STEP = timedelta(minutes=5)
ROWS = 3000
TIME_FORMAT = "%Y-%m-%d %H:%M:%S"


def day_phase(t):
    """0..1 over a day, 0 at midnight."""
    return (t.hour * 3600 + t.minute * 60 + t.second) / 86400.0


def plant_load(t, rng_state):
    """Share of nominal power: a day/night cycle, lower at week-ends, a slow
    drift and one unplanned trip with its recovery."""
    phase = day_phase(t)
    daily = 0.72 + 0.2 * math.sin(2 * math.pi * (phase - 0.3))
    if t.weekday() >= 5:
        daily -= 0.12
    drift = 0.03 * math.sin(2 * math.pi * (t - START).total_seconds() / (9 * 86400))
    load = daily + drift + rng_state.gauss(0, 0.01)
    trip = datetime(2014, 3, 28, 14, 20)
    hours_after_trip = (t - trip).total_seconds() / 3600
    if 0 <= hours_after_trip < 6:
        load *= 0.15 + 0.85 * (hours_after_trip / 6) ** 2
    return min(max(load, 0.05), 1.05)


def ambient(t, rng):
    phase = day_phase(t)
    spring_warming = 0.25 * (t - START).total_seconds() / 86400
    return 8 + spring_warming + 6 * math.sin(2 * math.pi * (phase - 0.375)) + rng.gauss(0, 0.3)


class Lag:
    """First-order response, so that temperatures follow the load slowly."""

    def __init__(self, value, rate):
        self.value = value
        self.rate = rate

    def __call__(self, target):
        self.value += self.rate * (target - self.value)
        return self.value


# name, decimals, function(load, ambient temperature, lags, rng, time)
def sensors():
    return [
        ("boiler_temp_C", 1, lambda l, a, g, r, t: g["boiler"](420 + 120 * l) + r.gauss(0, 0.8)),
        ("steam_temp_C", 1, lambda l, a, g, r, t: g["steam"](480 + 60 * l) + r.gauss(0, 0.5)),
        ("feedwater_temp_C", 1, lambda l, a, g, r, t: g["feed"](180 + 40 * l) + r.gauss(0, 0.4)),
        ("turbine_inlet_temp_C", 1, lambda l, a, g, r, t: g["steam"].value - 6 + r.gauss(0, 0.6)),
        ("exhaust_temp_C", 1, lambda l, a, g, r, t: g["exhaust"](95 + 55 * l) + r.gauss(0, 1.0)),
        ("condenser_temp_C", 2, lambda l, a, g, r, t: 24 + 0.6 * a + 9 * l + r.gauss(0, 0.2)),
        ("cooling_in_temp_C", 2, lambda l, a, g, r, t: 11 + 0.5 * a + r.gauss(0, 0.1)),
        ("cooling_out_temp_C", 2, lambda l, a, g, r, t: 11 + 0.5 * a + 8 * l + r.gauss(0, 0.15)),
        ("bearing1_temp_C", 2, lambda l, a, g, r, t: g["bearing1"](48 + 14 * l) + r.gauss(0, 0.1)),
        ("bearing2_temp_C", 2, lambda l, a, g, r, t: g["bearing2"](51 + 12 * l) + r.gauss(0, 0.1)),
        ("oil_temp_C", 2, lambda l, a, g, r, t: g["oil"](42 + 10 * l + 0.2 * a) + r.gauss(0, 0.1)),
        ("ambient_temp_C", 2, lambda l, a, g, r, t: a),
        ("steam_pressure_bar", 2, lambda l, a, g, r, t: 90 + 75 * l + r.gauss(0, 0.6)),
        ("feedwater_pressure_bar", 2, lambda l, a, g, r, t: 110 + 80 * l + r.gauss(0, 0.8)),
        ("condenser_pressure_mbar", 1, lambda l, a, g, r, t: 45 + 1.5 * a + 30 * l + r.gauss(0, 0.7)),
        ("oil_pressure_bar", 3, lambda l, a, g, r, t: 2.4 - 0.005 * (g["oil"].value - 42) + r.gauss(0, 0.01)),
        ("hydraulic_pressure_bar", 2, lambda l, a, g, r, t: 160 + r.gauss(0, 1.2)),
        ("air_pressure_bar", 3, lambda l, a, g, r, t: 7.0 - 0.3 * ((day_phase(t) * 24 % 2) / 2) + r.gauss(0, 0.02)),
        ("steam_flow_t_h", 1, lambda l, a, g, r, t: 720 * l + r.gauss(0, 4)),
        ("feedwater_flow_t_h", 1, lambda l, a, g, r, t: 735 * l + r.gauss(0, 4)),
        ("cooling_flow_m3_h", 0, lambda l, a, g, r, t: 42000 + 9000 * l + r.gauss(0, 150)),
        ("fuel_flow_kg_h", 0, lambda l, a, g, r, t: 98000 * l + r.gauss(0, 600)),
        ("air_flow_kNm3_h", 1, lambda l, a, g, r, t: 1150 * l + 40 + r.gauss(0, 8)),
        ("turbine_vibration_mm_s", 2, lambda l, a, g, r, t: abs(1.6 + 0.8 * l + wear(t) + r.gauss(0, 0.12))),
        ("pump1_vibration_mm_s", 2, lambda l, a, g, r, t: abs(2.1 + 0.5 * l + r.gauss(0, 0.2))),
        ("pump2_vibration_mm_s", 2, lambda l, a, g, r, t: abs(1.9 + 0.6 * l + r.gauss(0, 0.2))),
        ("fan_vibration_mm_s", 2, lambda l, a, g, r, t: abs(2.8 + 1.1 * l + r.gauss(0, 0.25))),
        ("generator_power_MW", 1, lambda l, a, g, r, t: 600 * l - 0.8 * (a - 10) + r.gauss(0, 2)),
        ("pump1_speed_rpm", 0, lambda l, a, g, r, t: 1480 + 5 * l + r.gauss(0, 1.5)),
        ("tank_level_pct", 1, lambda l, a, g, r, t: 62 + 18 * math.sin(2 * math.pi * day_phase(t) * 3) + r.gauss(0, 0.4)),
        ("o2_content_pct", 2, lambda l, a, g, r, t: 3.2 + 2.5 * (1 - l) + r.gauss(0, 0.08)),
    ]


def wear(t):
    """A bearing that slowly degrades over the last days."""
    days = (t - START).total_seconds() / 86400
    return 0 if days < 6 else 0.09 * (days - 6) ** 1.5


def number(value, decimals, french):
    text = "%.*f" % (decimals, value)
    if text in ("-0", "-0.0", "-0.00", "-0.000"):
        text = text[1:]
    return text.replace(".", ",") if french else text


def synchronous_rows():
    rng = random.Random(20140324)
    lags = {
        "boiler": Lag(480, 0.08), "steam": Lag(520, 0.1), "feed": Lag(210, 0.06),
        "exhaust": Lag(130, 0.12), "bearing1": Lag(58, 0.03), "bearing2": Lag(60, 0.03),
        "oil": Lag(49, 0.04),
    }
    table = sensors()
    # An outage of one transmitter for a few hours, plus scattered gaps.
    outage = (datetime(2014, 3, 26, 9, 0), datetime(2014, 3, 26, 12, 35), "pump2_vibration_mm_s")
    rows = []
    for i in range(ROWS):
        t = START + i * STEP
        load = plant_load(t, rng)
        air = ambient(t, rng)
        cells = []
        for name, decimals, formula in table:
            value = formula(load, air, lags, rng, t)
            missing = rng.random() < 0.002 or (name == outage[2] and outage[0] <= t < outage[1])
            cells.append(None if missing else (value, decimals))
        rows.append((t, cells))
    return [name for name, _, _ in table], rows


def write_synchronous(path, names, rows, french):
    separator = ";" if french else ","
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write(separator.join(["Time"] + names) + "\n")
        for line in range(2, 11):  # lines 2 to 10 are reserved and ignored
            out.write("%d\n" % line)
        for t, cells in rows:
            fields = [t.strftime(TIME_FORMAT)]
            for cell in cells:
                fields.append("" if cell is None else number(cell[0], cell[1], french))
            out.write(separator.join(fields) + "\n")


# name, mean seconds between samples, decimals, function(load, ambient, rng)
LOGGED = [
    ("tank_level_pct", 95, 1, lambda l, a, r: 55 + 20 * l + r.gauss(0, 0.5)),
    ("stack_co_mg_Nm3", 240, 1, lambda l, a, r: max(0.0, 35 - 20 * l + r.gauss(0, 3))),
    ("river_temp_C", 900, 2, lambda l, a, r: 9.5 + 0.3 * a + r.gauss(0, 0.05)),
    ("valve_12_opening_pct", 420, 1, lambda l, a, r: min(100.0, 30 + 65 * l + r.gauss(0, 2))),
    ("turbine_vibration_mm_s", 60, 2, lambda l, a, r: abs(1.7 + 0.9 * l + r.gauss(0, 0.15))),
    ("grid_frequency_Hz", 30, 3, lambda l, a, r: 50 + r.gauss(0, 0.02)),
    ("silo_weight_t", 1800, 1, None),  # falls as fuel is burnt, refilled by trucks
]


def asynchronous_lines():
    rng = random.Random(20140330)
    end = START + timedelta(days=2)
    lines = []
    for name, period, decimals, formula in LOGGED:
        t = START + timedelta(seconds=rng.randint(0, period))
        silo = 820.0
        while t < end:
            load = plant_load(t, rng)
            air = ambient(t, rng)
            if formula is None:
                silo -= 1.6 * load * period / 600 + rng.gauss(0, 0.2)
                if silo < 300:
                    silo += 500 + rng.gauss(0, 5)
                value = silo
            else:
                value = formula(load, air, rng)
            lines.append((t, name, value, decimals))
            t += timedelta(seconds=max(1, int(rng.expovariate(1.0 / period))))
    lines.sort(key=lambda line: line[0])
    return lines


def write_asynchronous(path, lines, french):
    separator = "\t" if french else ","
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        for t, name, value, decimals in lines:
            out.write(separator.join([name, t.strftime(TIME_FORMAT), number(value, decimals, french)]) + "\n")


def main():
    names, rows = synchronous_rows()
    write_synchronous(os.path.join(HERE, "plant_sensors_fr.csv"), names, rows, True)
    write_synchronous(os.path.join(HERE, "plant_sensors_intl.csv"), names, rows, False)
    lines = asynchronous_lines()
    write_asynchronous(os.path.join(HERE, "plant_log_fr.csv"), lines, True)
    write_asynchronous(os.path.join(HERE, "plant_log_intl.csv"), lines, False)


if __name__ == "__main__":
    main()
