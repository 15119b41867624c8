#!/usr/bin/env python3
"""Second evaluation of the default run's march, for the full-precision reference values of
tests/core/FullPrecisionTest.cpp.

The model is written out again from its formulas (the drying model of the README and the
comments of src/sim/MiscCalc.cpp), evaluated left to right in IEEE double arithmetic (Python's
float, without fused multiply-add; pow and exp are the C library's), so it gives the march's
doubles to the last bit. The first step is evaluated a third time in 50-digit decimal
arithmetic with the same published coefficients: the doubles lie within a few units in the
last place of it, which shows that they are the step's value and not an artefact of one
evaluation. Prints the reference values as C++ hex-float literals.

Usage: tests/support/march-reference.py
"""
from decimal import Decimal, getcontext

# The default inputs (`quillmere-cli template`), as typed.
CP_POLYMER, RHO_POLYMER = 1.47, 1.4
CP1, HV1, D1, A1, B1, C1, RHO1, M1 = 2.30, 460.0, 0.00000903, 6.38469, 916.01, 181.84, 0.806, 72.1
CP2, HV2, D2, A2, B2, C2, RHO2, M2 = 1.80, 398.0, 0.00000849, 6.95464, 1344.8, 219.482, 0.866, 92.1
CP_FILM = 1.26
WI, WE, WX, WY, KEFF = 0.3, 0.1, 0.2, 0.5, 0.3
CHI1P, CHI2P, CHI12 = 0.01, 0.5, 0.5
DZ, W0, FILM, SOLID_RATIO, RATIO1, RATIO2, SPEED, T0 = 0.1, 0.0695, 0.0685, 0.18, 0.60, 0.22, 1.0, 15.0
ZONES = [(60.0, 300, 0.0, 0.0, 0.022, 0.055), (60.0, 300, 0.0, 0.0, 0.022, 0.055)]

# Gill's coefficients as published (decimals, not the surds).
G = [0.29289321881, 0.12132034356, 0.58578643763, 1.7071067812, -4.1213203436, 3.4142135624]


# The number type of an evaluation: a constant of the formulas is the double it is in the
# program, converted exactly.
C = float


def mass_transfer(d, h):
    k = (C(1.887e-5) / d / C(0.695)) ** C(0.42)
    return k * d * h / C(0.02849) * 1000


def correction(x):
    if x >= WI:
        return 1.0
    if x >= WX:
        return x * (1 - WY) / (WI - WX) - (WX - WI * WY) / (WI - WX)
    if x >= WE:
        return x * WY / (WX - WE) - WE * WY / (WX - WE)
    return 0.0


def humidities(t, w1, w2, exp, pow10):
    v1, v2 = w1 / RHO1, w2 / RHO2
    v = v1 + v2 + W0 * SOLID_RATIO / RHO_POLYMER
    phi1, phi2 = v1 / v, v2 / v
    pure1 = pow10(A1 - B1 / (t + C1))
    pure2 = pow10(A2 - B2 / (t + C2))
    php = 1 - phi1 - phi2
    x1 = php + (CHI12 * phi2 + CHI1P * php) * (phi2 + php) - CHI2P * phi2 * php
    x2 = php + (CHI12 * phi1 + CHI2P * php) * (phi1 + php) - CHI1P * phi1 * php
    p1, p2 = exp(x1) * (pure1 * phi1), exp(x2) * (pure2 * phi2)
    return p1 / (760 - p1 - p2) * (M1 / 29), p2 / (760 - p1 - p2) * (M2 / 29)


def step(y, zone, k1, k2, f, h1, h2, cap, h, g):
    ta, _, a1, a2, hu, hl = zone

    def rate(y):
        r1 = -f * k1 * C(1.059) * (h1 - a1)
        r2 = -f * k2 * C(1.059) * (h2 - a2)
        t = y[2]
        return [r1, r2, ((ta - t) * hu + (ta - t) * hl + r1 * HV1 + r2 * HV2) / cap]

    y = list(y)
    k = rate(y)
    d = [h * k[i] for i in range(3)]
    q = d[:]
    y = [y[i] + C(0.5) * d[i] for i in range(3)]
    k = rate(y)
    d = [h * k[i] for i in range(3)]
    y = [(d[i] - q[i]) * g[0] + y[i] for i in range(3)]
    q = [g[1] * q[i] + g[2] * d[i] for i in range(3)]
    k = rate(y)
    d = [h * k[i] for i in range(3)]
    y = [(d[i] - q[i]) * g[3] + y[i] for i in range(3)]
    q = [g[4] * q[i] + g[5] * d[i] for i in range(3)]
    k = rate(y)
    d = [h * k[i] for i in range(3)]
    return [d[i] / 6 + y[i] - q[i] / 3 for i in range(3)]


def march():
    """The default run in double: the web (w1, w2, T) after each step, by zone."""
    import math
    solid = W0 * SOLID_RATIO
    w1, w2 = W0 * RATIO1, W0 * RATIO2
    y, dt = [w1, w2, T0], DZ / SPEED
    x1, x2 = w1 / (w1 + w2 + solid), w2 / (w1 + w2 + solid)
    points = {}
    for number, zone in enumerate(ZONES, 1):
        k1 = mass_transfer(D1, zone[4] * KEFF)
        k2 = mass_transfer(D2, zone[4] * KEFF)
        for j in range(1, zone[1] + 1):
            f = correction(x1 + x2)
            h1, h2 = humidities(y[2], y[0], y[1], math.exp, lambda e: 10.0 ** e)
            cap = y[0] * CP1 + y[1] * CP2 + solid * CP_POLYMER + FILM * CP_FILM
            y = step(y, zone, k1, k2, f, h1, h2, cap, dt, G)
            coating = y[0] + y[1] + solid
            x1, x2 = y[0] / coating, y[1] / coating
            points[(number, j)] = y
    return points


def first_step_in_decimal():
    getcontext().prec = 50
    D = Decimal
    ten = D(10)
    exp = lambda e: e.exp()
    pow10 = lambda e: (e * ten.ln()).exp()
    global_names = dict(globals())
    # The same formulas over decimals: every input converted exactly from its double.
    globals()["C"] = D
    for name in ["CP_POLYMER", "RHO_POLYMER", "CP1", "HV1", "D1", "A1", "B1", "C1", "RHO1", "M1",
                 "CP2", "HV2", "D2", "A2", "B2", "C2", "RHO2", "M2", "CP_FILM", "KEFF", "CHI1P",
                 "CHI2P", "CHI12", "DZ", "W0", "FILM", "SOLID_RATIO", "RATIO1", "RATIO2",
                 "SPEED", "T0"]:
        globals()[name] = D(global_names[name])
    try:
        zone = tuple(D(v) for v in ZONES[0])
        solid = W0 * SOLID_RATIO
        y = [W0 * RATIO1, W0 * RATIO2, T0]
        hu = zone[4] * KEFF
        k1 = mass_transfer(D1, hu)
        k2 = mass_transfer(D2, hu)
        h1, h2 = humidities(y[2], y[0], y[1], exp, pow10)
        cap = y[0] * CP1 + y[1] * CP2 + solid * CP_POLYMER + FILM * CP_FILM
        rate_zone = (zone[0], 300, zone[2], zone[3], zone[4], zone[5])
        return step(y, rate_zone, k1, k2, D(1), h1, h2, cap, DZ / SPEED, [D(g) for g in G])
    finally:
        globals().update(global_names)


if __name__ == "__main__":
    import math
    points = march()
    exact = first_step_in_decimal()
    names = ["Solvent1Weight", "Solvent2Weight", "Temperature"]
    for i, name in enumerate(names):
        double = points[(1, 1)][i]
        ulps = abs(Decimal(double) - exact[i]) / Decimal(math.ulp(double))
        print(f"zone 1 point 1 {name}: {double.hex()}  ({double!r}; {ulps:.2f} ulp from the"
              f" 50-digit evaluation {exact[i]:.20e})")
    for key in [(1, 300), (2, 300)]:
        for i, name in enumerate(names):
            print(f"zone {key[0]} point {key[1]} {name}: {points[key][i].hex()}"
                  f"  ({points[key][i]!r})")
