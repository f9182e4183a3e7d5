#!/usr/bin/env python3
"""Writes the bundled sample game of Tovix: samples/demo.

A small "Galaxy NG" game, "Meridian", played out by a deterministic simulation: seven races on a
120 x 120 map, turns 0 to 11. The user's race (letter A) is allied with two races (B and C); the
reports of these three races are written in the Galaxy NG text layout, one file per race and turn
(A000.txt ... C011.txt), together with a README.md that tells what the game holds.

The simulation is small on purpose: planets grow population and industry, research raises the
technology levels, ships are designed and built, scouts explore, freighters colonise along cargo
routes, warships attack, fight battles and bomb planets. Everything is driven by one fixed seed, so
running the script again writes the same bytes (LF line ends). Python 3 standard library only.

Usage: make_demo_game.py [--out FOLDER]   (default: samples/demo beside this script's folder)
"""

import argparse
import datetime
import math
import os
import re
import sys

GAME = "Meridian"
SEED = 0x5EED2024
LAST_TURN = 11
MAP_SIZE = 120.0
MAP_COLUMNS = 80
MAP_ROWS = 40
OWN_LETTER = "A"
ALLY_LETTERS = "BC"
RELEASE_LINE = "GalaxyNG release-6-5, June 2008."
FIRST_RUN = datetime.datetime(2027, 3, 1, 19, 12, 5)

# One entry per race, in the order the server created them (letters A, B, ...).
#   name: the name chosen in the rename turn; until then the race is "race_<n>".
#   homes: names given to the three home planets in the rename turn.
#   designs: scout, freighter, warship, guard (name, drive, attacks, weapons, shields, cargo).
RACES = [
    dict(letter="A", name="Corvids", rename=1, real="Mira_Kestrel", protocol=True,
         homes=["Rookery", "Quillhold", "Talonreach"],
         designs=[("Raven", 1, 0, 0, 0, 0), ("Magpie", 2, 0, 0, 0, 1),
                  ("Shrike", 4, 1, 3, 3, 0), ("Aerie", 0, 1, 5, 5, 0)],
         later_design=(6, ("Harrier", 6, 2, 3.5, 4, 0)),
         colony_names=["Nestling", "Fledgeling"], guard=False, attacks=[(6, "fleet")]),
    dict(letter="B", name="Lyrans", rename=1, real="Tomas_Lind", protocol=False,
         homes=["Harpstone", "Lyrehaven", "Chordis"],
         designs=[("Lark", 1, 0, 0, 0, 0), ("Wagon", 2, 0, 0, 0, 1),
                  ("Sabre", 4, 1, 3.2, 2.6, 0), ("Rampart", 0, 1, 6, 5, 0)],
         later_design=None, colony_names=["Cadenza"], guard=True, attacks=[(6, "support")]),
    dict(letter="C", name="Pavonids", rename=1, real="Ada_Pavo", protocol=True,
         homes=["Plumeport", "Ocellus", "Featherfall"],
         designs=[("Wisp", 1, 0, 0, 0, 0), ("Skiff", 2.5, 0, 0, 0, 1.5),
                  ("Spur", 3.5, 1, 2.5, 3, 0), ("Keep", 0, 2, 4, 6, 0)],
         later_design=None, colony_names=[], guard=True, attacks=[]),
    dict(letter="D", name="Tucanae", rename=1, real="none", protocol=False,
         homes=["Beakridge", "Toucanis", "Redbill"],
         designs=[("Spotter", 1, 0, 0, 0, 0), ("Hopper", 2, 0, 0, 0, 1),
                  ("Cleaver", 5, 2, 2.4, 3, 0), ("Anvil", 0, 1, 5.5, 5.5, 0)],
         later_design=None, colony_names=[], guard=True, attacks=[(4, "C"), (8, "C")]),
    dict(letter="E", name="Serpentes", rename=1, real="none", protocol=False,
         homes=["Coilhome", "Scalegate", "Venomere"],
         designs=[("Glint", 1, 0, 0, 0, 0), ("Coil", 2, 0, 0, 0, 1),
                  ("Striker", 4.5, 1, 3, 2.5, 0), ("Aegis", 0, 1, 5, 6, 0)],
         later_design=None, colony_names=[], guard=False, attacks=[(5, "war")]),
    dict(letter="F", name="Volantis", rename=1, real="none", protocol=False,
         homes=["Glidewing", "Finmark", "Skimwater"],
         designs=[("Kite", 1, 0, 0, 0, 0), ("Ferry", 2, 0, 0, 0, 1),
                  ("Glaive", 4, 1, 2.8, 3.2, 0), ("Redoubt", 0, 1, 5, 5, 0)],
         later_design=None, colony_names=[], guard=True, attacks=[(6, "B")]),
    dict(letter="G", name="Mensans", rename=4, real="none", protocol=False,
         homes=["Tablemount", "Mesaprime", "Flattop"],
         designs=[("Pebble", 1, 0, 0, 0, 0), ("Sledge", 2, 0, 0, 0, 1),
                  ("Mace", 4, 1, 3, 3, 0), ("Tower", 0, 1, 5, 5, 0)],
         later_design=None, colony_names=[], guard=False, attacks=[(5, "A"), (10, "retake")]),
]
# Declared peace (both ways); every other pair is at war.
ALLIANCES = [("A", "B"), ("A", "C"), ("B", "C"), ("D", "E")]
HOME_SIZES = [800.0, 250.0, 150.0]
NEAR_PLANETS = 4
FAR_PLANETS = 3

GLOBAL_MESSAGES = {
    3: ("E", ["The Serpentes greet the peoples of Meridian.",
              "Our borders are closed to uninvited ships."]),
}
PERSONAL_MESSAGES = {
    8: ("D", "A", ["Your ravens were seen over our worlds.", "Recall them, Corvids."]),
}

GAME_OPTIONS = [("Full bombing", "OFF"), ("Keep production", "ON"),
                ("Drop idle players", "OFF"), ("Spherical Galaxy", "OFF")]
RACE_OPTIONS = ["anonymous", "autoUnload", "prodTable", "sortGroups", "groupForeCast",
                "planetForeCast", "shipTypeForecast", "routesForecast", "compress", "gplus",
                "machineReport", "battleProtocol", "xmlReport", "txtReport"]
OPTION_DEFAULTS = {"anonymous": True, "autoUnload": True, "prodTable": True, "sortGroups": True,
                   "groupForeCast": True, "planetForeCast": True, "shipTypeForecast": True,
                   "routesForecast": True, "compress": False, "gplus": False,
                   "machineReport": False, "battleProtocol": False, "xmlReport": False,
                   "txtReport": True}
TECHS = ["Drive", "Weapons", "Shields", "Cargo"]


class Rng:
    """splitmix64: the same numbers on every Python version and platform."""

    MASK = (1 << 64) - 1

    def __init__(self, seed):
        self.state = seed & self.MASK

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & self.MASK
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & self.MASK
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & self.MASK
        return z ^ (z >> 31)

    def random(self):
        return (self.next() >> 11) / float(1 << 53)

    def uniform(self, low, high):
        return low + (high - low) * self.random()

    def below(self, n):
        return self.next() % n


def f2(value):
    """A figure as the reports write it: two decimals."""
    text = "%.2f" % value
    return "0.00" if text == "-0.00" else text


def hundredths(value):
    return int(round(value * 100))


# --- The model ------------------------------------------------------------------------------


class Planet:
    def __init__(self, number, x, y, size, resources):
        self.number = number
        self.name = str(number)
        self.x = x  # hundredths of a map unit, so positions print the same every turn
        self.y = y
        self.size = size
        self.resources = resources
        self.owner = None
        self.pop = 0.0
        self.ind = 0.0
        self.cap = 0.0
        self.mat = 0.0
        self.col = 0.0
        self.production = "Drive"
        self.progress = 0.0  # industry already spent on the next ship

    @property
    def fx(self):
        return self.x / 100.0

    @property
    def fy(self):
        return self.y / 100.0

    def capacity(self):
        """Industry available for production: industry plus a quarter of the idle population."""
        return self.ind + (self.pop - self.ind) / 4.0


class ShipType:
    def __init__(self, name, drive, attacks, weapons, shields, cargo):
        self.name = name
        self.drive = float(drive)
        self.attacks = int(attacks)
        self.weapons = float(weapons)
        self.shields = float(shields)
        self.cargo = float(cargo)

    @property
    def mass(self):
        weapons = self.weapons * (self.attacks + 1) / 2.0 if self.attacks > 0 else 0.0
        return self.drive + weapons + self.shields + self.cargo

    def speed(self, drive_tech=1.0, load=0.0, cargo_tech=1.0):
        if self.drive <= 0:
            return 0.0
        mass = self.mass + (load / cargo_tech if cargo_tech > 0 else 0.0)
        return 20.0 * self.drive * drive_tech / mass

    def defence(self, shields_tech=1.0):
        if self.shields <= 0:
            return 0.0
        return round(self.shields * shields_tech * (30.0 / self.mass) ** (1.0 / 3.0), 6)

    def capacity(self, cargo_tech):
        return (self.cargo + self.cargo * self.cargo / 10.0) * cargo_tech

    def order(self):
        return "d %s %s %d %s %s %s" % (self.name, fmt_num(self.drive), self.attacks,
                                        fmt_num(self.weapons), fmt_num(self.shields),
                                        fmt_num(self.cargo))


def fmt_num(value):
    """A design figure as a player types it: 4, 2.5, 3.2."""
    return ("%d" % value) if value == int(value) else ("%g" % value)


class Group:
    def __init__(self, race, number, ship_type, ships, techs):
        self.race = race
        self.number = number
        self.type = ship_type
        self.ships = ships
        self.techs = techs  # drive, weapons, shields, cargo
        self.cargo = "-"
        self.load = 0.0  # per ship
        self.planet = None  # where it stands, or where it flies to
        self.origin = None  # set while in flight
        self.dist = 0.0  # distance still to fly
        self.fleet = None

    @property
    def flying(self):
        return self.origin is not None

    def speed(self):
        return self.type.speed(self.techs[0], self.load, self.techs[3])

    def armed(self):
        return self.type.attacks > 0 and self.type.weapons > 0 and self.ships > 0

    def ship_mass(self):
        extra = self.load / self.techs[3] if self.techs[3] > 0 else 0.0
        return self.type.mass + extra


class Race:
    def __init__(self, index, spec):
        self.index = index
        self.spec = spec
        self.letter = spec["letter"]
        self.name = "race_%d" % (index + 1)
        self.tech = [1.0, 1.0, 1.0, 1.0]
        self.types = []
        self.groups = []
        self.next_group = 1
        self.peace = set()  # letters of races this race declared peace with
        self.options = dict(OPTION_DEFAULTS)
        self.real_name = "none"
        self.password = ""
        self.produced = 0.0
        self.lost = 0.0
        self.known = {}  # planet number -> True once a group of this race stood there
        self.routes = {}  # origin planet number -> {kind: destination planet number}
        self.orders = []
        self.colonised = []  # planet numbers in colonisation order

    def type_named(self, name):
        for t in self.types:
            if t.name == name:
                return t
        return None

    def new_group(self, ship_type, ships, techs, planet):
        g = Group(self, self.next_group, ship_type, ships, techs)
        self.next_group += 1
        g.planet = planet
        self.groups.append(g)
        return g

    def at_war_with(self, other):
        return other is not self and other.letter not in self.peace


class Battle:
    def __init__(self, turn, planet):
        self.turn = turn
        self.planet = planet
        self.planet_name = planet.name
        self.rows = []  # (race, type, techs, cargo, load, ships before, ships left)
        self.protocol = []
        self.races = []


class Bombing:
    def __init__(self, turn, attacker, defender, planet):
        self.turn = turn
        self.attacker = attacker
        self.defender = defender
        self.planet = planet
        self.planet_name = planet.name
        self.values = (planet.pop, planet.ind, planet.production, planet.cap, planet.mat,
                       planet.col)
        self.witnesses = []


def distance(a, b):
    dx = (a.x - b.x) / 100.0
    dy = (a.y - b.y) / 100.0
    return math.sqrt(dx * dx + dy * dy)


class World:
    def __init__(self):
        self.rng = Rng(SEED)
        self.turn = 0
        self.races = [Race(i, spec) for i, spec in enumerate(RACES)]
        self.planets = []
        self.battles = []  # of every turn
        self.bombings = []
        self.history = {}  # turn -> statistics per race for the top list
        self.colonised_turn = {}  # (race letter, planet number) -> turn
        self.make_planets()
        for race in self.races:
            race.password = "P%09d" % (self.rng.below(900000000) + 100000000)

    # -- the galaxy --

    def free_spot(self, cx, cy, low, high, spread):
        for _ in range(1000):
            if spread:
                x = self.rng.uniform(4.0, MAP_SIZE - 4.0)
                y = self.rng.uniform(4.0, MAP_SIZE - 4.0)
            else:
                angle = self.rng.uniform(0.0, 2.0 * math.pi)
                r = self.rng.uniform(low, high)
                x = cx + r * math.cos(angle)
                y = cy + r * math.sin(angle)
            if not (1.0 <= x <= MAP_SIZE - 1.0 and 1.0 <= y <= MAP_SIZE - 1.0):
                continue
            hx, hy = hundredths(x), hundredths(y)
            if all(math.hypot((hx - p.x) / 100.0, (hy - p.y) / 100.0) >= 2.5 for p in self.planets):
                return hx, hy
        raise RuntimeError("no room for another planet")

    def make_planets(self):
        count = len(self.races)
        centres = []
        for i in range(count):
            angle = 2.0 * math.pi * i / count + self.rng.uniform(-0.2, 0.2)
            radius = self.rng.uniform(30.0, 38.0)
            centres.append((60.0 + radius * math.cos(angle), 60.0 + radius * math.sin(angle)))
        number = 1
        for race, (cx, cy) in zip(self.races, centres):
            race.homes = []
            for k, size in enumerate(HOME_SIZES):
                if k == 0:
                    x, y = hundredths(cx), hundredths(cy)
                else:
                    x, y = self.free_spot(cx, cy, 2.5, 4.0, False)
                p = Planet(number, x, y, size, 10.0)
                number += 1
                p.owner = race
                p.pop = p.ind = size
                self.planets.append(p)
                race.homes.append(p)
            for _ in range(NEAR_PLANETS):
                x, y = self.free_spot(cx, cy, 6.0, 16.0, False)
                size = round(self.rng.uniform(60.0, 700.0), 2)
                p = Planet(number, x, y, size, round(self.rng.uniform(0.4, 4.5), 2))
                number += 1
                self.planets.append(p)
            for _ in range(FAR_PLANETS):
                x, y = self.free_spot(0, 0, 0, 0, True)
                size = round(self.rng.uniform(5.0, 250.0), 2)
                p = Planet(number, x, y, size, round(self.rng.uniform(0.3, 2.5), 2))
                number += 1
                self.planets.append(p)

    def planet(self, number):
        return self.planets[number - 1]

    def race(self, letter):
        return self.races[ord(letter) - ord("A")]

    def groups_at(self, planet):
        return [g for r in self.races for g in r.groups if not g.flying and g.planet is planet]

    # -- orders --

    def give_orders(self):
        t = self.turn
        for race in self.races:
            race.orders = []
            self.race_orders(race, t)

    def say(self, race, text):
        race.orders.append(text)

    def race_orders(self, race, t):
        spec = race.spec
        homes = race.homes
        if t == spec["rename"]:
            race.name = spec["name"]
            self.say(race, "c %s" % race.name)
            if spec["real"] != "none":
                race.real_name = spec["real"]
                self.say(race, "= %s" % race.real_name)
            for planet, name in zip(homes, spec["homes"]):
                self.say(race, "n %s %s" % (planet.name, name))
                planet.name = name
        if t == 1:
            for d in spec["designs"]:
                race.types.append(ShipType(*d))
                self.say(race, race.types[-1].order())
            for a, b in ALLIANCES:
                other = b if a == race.letter else (a if b == race.letter else None)
                if other:
                    race.peace.add(other)
                    self.say(race, "a %s" % self.race(other).name)
            if spec["protocol"]:
                race.options["battleProtocol"] = True
                self.say(race, "o battleprotocol")
        later = spec["later_design"]
        if later and later[0] == t:
            race.types.append(ShipType(*later[1]))
            self.say(race, race.types[-1].order())
        scout, freighter, warship, guard = race.types[:4] if len(race.types) >= 4 else [None] * 4
        if not scout:
            return
        self.plan_production(race, t, scout, freighter, warship, guard)
        self.plan_scouting(race, t, scout)
        self.plan_colonies(race, t, freighter)
        if t == 4 and race.homes[2].owner is race:
            # The material mined on the third planet is meant for the capital's shipyards.
            third, home = race.homes[2], race.homes[0]
            race.routes.setdefault(third.number, {})["MAT"] = home.number
            self.say(race, "r %s MAT %s" % (third.name, home.name))
        self.plan_attacks(race, t)
        self.plan_renames(race, t)
        message = GLOBAL_MESSAGES.get(t)
        if message and message[0] == race.letter:
            self.say(race, "@")
            for line in message[1]:
                self.say(race, line)
            self.say(race, "@")
        message = PERSONAL_MESSAGES.get(t)
        if message and message[0] == race.letter:
            self.say(race, "@ %s" % self.race(message[1]).name)
            for line in message[2]:
                self.say(race, line)
            self.say(race, "@")

    def set_production(self, race, planet, what, order_word=None):
        if planet.owner is not race or planet.production == what:
            return
        planet.production = what
        planet.progress = 0.0
        self.say(race, "p %s %s" % (planet.name, order_word or what))

    def plan_production(self, race, t, scout, freighter, warship, guard):
        home, second, third = race.homes
        late = race.spec["later_design"]
        best = warship
        if late and t >= late[0]:
            best = race.type_named(late[1][0])
        if t == 1:
            self.set_production(race, home, freighter.name)
        elif t == 2:
            self.set_production(race, home, "Drive", "DRIVE")
        else:
            self.set_production(race, home, best.name)
        research = ["Drive", "Shields", "Drive", "Weapons", "Cargo", "Shields"]
        if race.spec["guard"] and t in (4, 5):
            self.set_production(race, second, guard.name)
        else:
            tech = research[(t + race.index) % len(research)]
            self.set_production(race, second, tech, tech.upper())
        if t == 1:
            self.set_production(race, third, scout.name)
        elif t in (2, 3):
            self.set_production(race, third, "MAT")
        else:
            self.set_production(race, third, warship.name)
        for number in race.colonised:
            planet = self.planet(number)
            if planet.owner is race:
                self.set_production(race, planet, "CAP")

    def plan_scouting(self, race, t, scout):
        """Scouts leave the third home planet one by one: first to the nearest planets, later to
        the home planets of the enemies, where guns may wait for them."""
        wanted = {2: 3, 3: 2, 5: 3, LAST_TURN: 2}.get(t)
        if not wanted:
            return
        pool = [g for g in race.groups if g.type is scout and not g.flying and g.ships > 1]
        if not pool:
            return
        group = pool[0]
        taken = set(g.planet.number for g in race.groups if g.type is scout)
        if t == 2:
            targets = [p for p in self.planets if p.owner is not race]
        else:
            targets = [p for p in self.planets if p.owner is not None and p in p.owner.homes
                       and race.at_war_with(p.owner)]
        targets = [p for p in targets if p.number not in taken]
        targets.sort(key=lambda p: (distance(p, group.planet), p.number))
        for target in targets[:min(wanted, group.ships - 1)]:
            self.send(race, group, target, 1)

    def plan_colonies(self, race, t, freighter):
        home = race.homes[0]
        routes = race.routes.setdefault(home.number, {})
        current = routes.get("COL")
        if current is not None and self.planet(current).owner is None:
            return
        claimed = set()
        for other in self.races:
            for kinds in other.routes.values():
                if "COL" in kinds:
                    claimed.add(kinds["COL"])
        free = [p for p in self.planets if p.owner is None and p.number not in claimed]
        if not free or t < 1:
            return
        free.sort(key=lambda p: (distance(p, home) - p.size / 100.0, p.number))
        target = free[0]
        routes["COL"] = target.number
        self.say(race, "r %s COL %s" % (home.name, target.name))
        back = race.routes.setdefault(target.number, {})
        back["EMP"] = home.number
        self.say(race, "r %s EMP %s" % (target.name, home.name))

    def plan_attacks(self, race, t):
        """Warships waiting at the capital go out on the race's attack turns. The target is the
        nearest planet of an enemy (or of the races named by letter), the planet an ally's fleet
        holds ("support"), or the planet the race lost last ("retake")."""
        for turn, mode in race.spec["attacks"]:
            if turn != t:
                continue
            home = race.homes[0]
            warships = [g for g in race.groups
                        if not g.flying and g.armed() and g.type.drive > 0 and g.planet is home
                        and g.fleet is None]
            if not warships:
                continue
            target = None
            if mode == "support":
                for ally in self.races:
                    if ally.letter in race.peace:
                        for g in ally.groups:
                            if g.fleet:
                                target = g.planet
                                break
                    if target:
                        break
            elif mode == "retake":
                lost = [b for b in self.bombings if b.defender is race]
                if lost and lost[-1].planet.owner is not race:
                    target = lost[-1].planet
            if target is None:
                enemies = [p for p in self.planets if p.owner is not None
                           and race.at_war_with(p.owner)
                           and (mode in ("war", "fleet", "support", "retake")
                                or p.owner.letter in mode)]
                if not enemies:
                    continue
                enemies.sort(key=lambda p: (distance(p, home), p.number))
                target = enemies[0]
            if mode == "fleet":
                fleet = "Murmuration"
                for g in warships:
                    g.fleet = fleet
                    self.say(race, "j %d %s" % (g.number, fleet))
                self.say(race, "s %s %s" % (fleet, target.name))
                self.depart(warships, target)
            else:
                for g in warships:
                    self.send(race, g, target, None)

    def plan_renames(self, race, t):
        names = race.spec["colony_names"]
        for k, number in enumerate(race.colonised):
            planet = self.planet(number)
            if k < len(names) and planet.owner is race and planet.name == str(planet.number):
                if t >= self.colonised_turn.get((race.letter, number), 99) + 2:
                    self.say(race, "n %s %s" % (planet.name, names[k]))
                    planet.name = names[k]

    def send(self, race, group, target, ships):
        if ships is not None and ships < group.ships:
            part = race.new_group(group.type, ships, list(group.techs), group.planet)
            group.ships -= ships
            self.say(race, "s %d %s %d" % (group.number, target.name, ships))
            group = part
        else:
            self.say(race, "s %d %s" % (group.number, target.name))
        self.depart([group], target)

    def depart(self, groups, target):
        for g in groups:
            if g.planet is target:
                continue
            g.origin = g.planet
            g.dist = distance(g.origin, target)
            g.planet = target

    # -- one turn --

    def run_routes(self):
        for race in self.races:
            for origin_number in sorted(race.routes):
                origin = self.planet(origin_number)
                kinds = race.routes[origin_number]
                for kind in ("COL", "CAP", "MAT", "EMP"):
                    if kind not in kinds:
                        continue
                    dest = self.planet(kinds[kind])
                    for g in list(race.groups):
                        if g.flying or g.planet is not origin or g.type.cargo <= 0 or g.fleet:
                            continue
                        if kind == "EMP":
                            if g.cargo == "-":
                                self.depart([g], dest)
                            continue
                        if g.cargo != "-" or origin.owner is not race:
                            continue
                        stock = {"COL": origin.col, "CAP": origin.cap, "MAT": origin.mat}[kind]
                        if stock <= 0.01:
                            continue
                        room = g.type.capacity(g.techs[3]) * g.ships
                        amount = min(stock, room)
                        if kind == "COL":
                            origin.col -= amount
                        elif kind == "CAP":
                            origin.cap -= amount
                        else:
                            origin.mat -= amount
                        g.cargo = kind
                        g.load = amount / g.ships
                        self.depart([g], dest)

    def move(self):
        fleet_speed = {}
        for race in self.races:
            for g in race.groups:
                if g.fleet and g.flying:
                    key = (race.letter, g.fleet)
                    fleet_speed[key] = min(fleet_speed.get(key, 1e9), g.speed())
        for race in self.races:
            for g in race.groups:
                if not g.flying:
                    continue
                speed = fleet_speed.get((race.letter, g.fleet), g.speed()) if g.fleet else g.speed()
                if g.dist <= speed + 1e-9:
                    g.origin = None
                    g.dist = 0.0
                    self.arrive(g)
                else:
                    g.dist -= speed

    def arrive(self, g):
        race = g.race
        planet = g.planet
        race.known[planet.number] = True
        if g.cargo == "-" or not race.options["autoUnload"]:
            return
        if planet.owner is None and g.cargo == "COL":
            planet.owner = race
            planet.pop = min(planet.size, g.load * g.ships * 8.0)
            planet.ind = 0.0
            planet.production = "CAP"
            planet.progress = 0.0
            race.colonised.append(planet.number)
            self.colonised_turn[(race.letter, planet.number)] = self.turn
        elif planet.owner is race:
            if g.cargo == "COL":
                planet.col += g.load * g.ships
            elif g.cargo == "CAP":
                planet.cap += g.load * g.ships
            else:
                planet.mat += g.load * g.ships
        else:
            return
        g.cargo = "-"
        g.load = 0.0

    def fight(self):
        for planet in self.planets:
            present = self.groups_at(planet)
            races = []
            for g in present:
                if g.race not in races:
                    races.append(g.race)
            hostile = any(a.at_war_with(b) or b.at_war_with(a)
                          for a in races for b in races if a is not b)
            armed = any(g.armed() for g in present)
            if not hostile or not armed:
                continue
            if not any(g.armed() and any(g.race.at_war_with(h.race) or h.race.at_war_with(g.race)
                                         for h in present if h.race is not g.race)
                       for g in present):
                continue
            self.battle(planet, present, sorted(races, key=lambda r: r.index))

    def battle(self, planet, present, races):
        battle = Battle(self.turn, planet)
        battle.races = races
        before = {id(g): g.ships for g in present}
        alive = {id(g): g.ships for g in present}

        def enemies(g):
            return [h for h in present if alive[id(h)] > 0 and h.race is not g.race
                    and (g.race.at_war_with(h.race) or h.race.at_war_with(g.race))]

        for _ in range(40):
            shooters = []
            for g in present:
                if g.armed():
                    shooters.extend([g] * (alive[id(g)] * g.type.attacks))
            order = []
            while shooters:
                order.append(shooters.pop(self.rng.below(len(shooters))))
            fired = False
            for g in order:
                if alive[id(g)] <= 0:
                    continue
                targets = enemies(g)
                if not targets:
                    continue
                weights = [alive[id(h)] for h in targets]
                pick = self.rng.below(sum(weights))
                for target, weight in zip(targets, weights):
                    if pick < weight:
                        break
                    pick -= weight
                fired = True
                attack = g.type.weapons * g.techs[1]
                defence = target.type.defence(target.techs[2])
                if defence <= 0:
                    chance = 1.0
                else:
                    chance = (math.log(attack / defence) / math.log(4.0) + 1.0) / 2.0
                    chance = min(1.0, max(0.0, round(chance, 6)))
                hit = self.rng.random() < chance
                if hit:
                    alive[id(target)] -= 1
                battle.protocol.append("%s %s fires on %s %s : %s" % (
                    g.race.name, g.type.name, target.race.name, target.type.name,
                    "Destroyed" if hit else "Shields"))
            if not fired:
                break
        for g in present:
            battle.rows.append((g.race, g.type, list(g.techs), g.cargo, g.load, before[id(g)],
                                alive[id(g)]))
            lost = before[id(g)] - alive[id(g)]
            if lost:
                g.race.lost += lost * g.ship_mass()
            g.ships = alive[id(g)]
        for race in races:
            race.groups = [g for g in race.groups if g.ships > 0]
        self.battles.append(battle)

    def bomb(self):
        for planet in self.planets:
            owner = planet.owner
            if owner is None:
                continue
            present = self.groups_at(planet)
            if any(g.armed() and g.race is owner for g in present):
                continue
            attackers = [g.race for g in present if g.armed() and g.race.at_war_with(owner)]
            if not attackers:
                continue
            attacker = min(attackers, key=lambda r: r.index)
            bombing = Bombing(self.turn, attacker, owner, planet)
            witnesses = [attacker, owner]
            for g in present:
                if g.race not in witnesses:
                    witnesses.append(g.race)
            bombing.witnesses = witnesses
            self.bombings.append(bombing)
            planet.owner = attacker
            planet.pop /= 4.0
            planet.ind /= 4.0
            planet.cap = planet.mat = planet.col = 0.0
            planet.production = "CAP"
            planet.progress = 0.0
            owner.routes.pop(planet.number, None)
            for kinds in owner.routes.values():
                for kind in [k for k, v in kinds.items() if v == planet.number]:
                    del kinds[kind]

    def produce(self):
        for planet in self.planets:
            race = planet.owner
            if race is None:
                continue
            work = planet.capacity()
            what = planet.production
            if what in TECHS:
                race.tech[TECHS.index(what)] += work / 5000.0
            elif what == "CAP":
                planet.cap += work / 5.0
            elif what == "MAT":
                planet.mat += work * planet.resources
            else:
                ship_type = race.type_named(what)
                cost = ship_cost(ship_type, planet)
                planet.progress += work
                built = int(planet.progress // cost)
                planet.progress -= built * cost
                if built:
                    race.produced += built * ship_type.mass
                    techs = [race.tech[0] if ship_type.drive > 0 else 0.0,
                             race.tech[1] if ship_type.weapons > 0 else 0.0,
                             race.tech[2] if ship_type.shields > 0 else 0.0,
                             race.tech[3] if ship_type.cargo > 0 else 0.0]
                    techs = [round(v, 2) for v in techs]
                    self.add_ships(race, ship_type, built, techs, planet)
            # Capital goes into industry while there is population to run it.
            use = min(planet.cap, max(0.0, planet.pop - planet.ind))
            planet.ind += use
            planet.cap -= use

    def add_ships(self, race, ship_type, ships, techs, planet):
        for g in race.groups:
            if (not g.flying and g.planet is planet and g.type is ship_type and g.techs == techs
                    and g.cargo == "-" and g.fleet is None):
                g.ships += ships
                return
        race.new_group(ship_type, ships, techs, planet)

    def grow(self):
        for planet in self.planets:
            if planet.owner is None:
                continue
            pop = planet.pop * 1.08
            if pop > planet.size:
                planet.col += (pop - planet.size) / 8.0
                pop = planet.size
            planet.pop = pop
        for race in self.races:
            for g in race.groups:
                if not g.flying:
                    race.known[g.planet.number] = True

    def merge_groups(self):
        """Identical groups standing together become one, as a player would join them."""
        for race in self.races:
            kept = []
            for g in sorted(race.groups, key=lambda g: g.number):
                twin = None
                if not g.flying and g.fleet is None:
                    for k in kept:
                        if (not k.flying and k.fleet is None and k.planet is g.planet
                                and k.type is g.type and k.techs == g.techs
                                and k.cargo == g.cargo and k.load == g.load):
                            twin = k
                            break
                if twin:
                    twin.ships += g.ships
                else:
                    kept.append(g)
            race.groups = kept

    def sort_groups(self):
        """With sortGroups on the server numbers the groups anew after every turn: those at the
        race's own planets first, then the others, each by planet number; fleets come last."""
        for race in self.races:
            if not race.options["sortGroups"]:
                continue

            def place(g):
                return (g.fleet is not None, g.fleet or "", g.planet.owner is not race,
                        g.planet.number, g.number)

            race.groups.sort(key=place)
            for number, g in enumerate(race.groups, 1):
                g.number = number
            race.next_group = len(race.groups) + 1

    def run_turn(self):
        self.turn += 1
        self.give_orders()
        self.run_routes()
        self.move()
        self.fight()
        self.bomb()
        self.produce()
        self.grow()
        self.merge_groups()
        self.sort_groups()

    def snapshot(self):
        stats = {}
        for race in self.races:
            owned = [p for p in self.planets if p.owner is race]
            pop = sum(p.pop for p in owned)
            ind = sum(p.ind for p in owned)
            stats[race.letter] = dict(pop=pop, ind=ind, eind=ind + (pop - ind) / 4.0,
                                      tech=sum(round(v, 2) for v in race.tech),
                                      planets=len(owned))
        self.history[self.turn] = stats


def ship_cost(ship_type, planet):
    return ship_type.mass * 10.0 + (ship_type.mass / planet.resources if planet.resources else 0)


# --- Report writing --------------------------------------------------------------------------


def table(headers, aligns, rows):
    """Rows under a header line, each column as wide as its widest cell; a blank ends every cell.
    The first header is left-aligned, the others are centred (odd space to the left)."""
    widths = []
    for i, h in enumerate(headers):
        widths.append(max([len(h)] + [len(r[i]) for r in rows]))
    line = ""
    for i, (h, w) in enumerate(zip(headers, widths)):
        pad = 0 if i == 0 else (w - len(h) + 1) // 2
        line += (" " * pad + h).ljust(w) + " "
    out = [line]
    for r in rows:
        line = ""
        for cell, w, a in zip(r, widths, aligns):
            line += (cell.rjust(w) if a == "R" else cell.ljust(w)) + " "
        out.append(line)
    return out


class Report:
    def __init__(self, world, viewer):
        self.world = world
        self.v = viewer
        self.turn = world.turn
        self.lines = []

    def add(self, *lines):
        self.lines.extend(lines)

    def section(self, title, body):
        self.add("\t\t" + title, "")
        self.add(*body)
        self.add("")

    def races_seen(self):
        return [r for r in self.world.races if r is not self.v]

    def watch_planets(self):
        """Numbers of the planets where the viewer has a group standing: it sees what is there."""
        spots = set()
        for g in self.v.groups:
            if not g.flying:
                spots.add(g.planet.number)
        return spots

    def text(self):
        v, t = self.v, self.turn
        self.bulletins()
        self.add("\t" + RELEASE_LINE, "")
        self.add("\t\tGalaxy Game %s Turn %d Report for %s" % (GAME, t, v.name), "", "")
        if t == 0:
            self.add("", "Password for player %s set to %s" % (v.name, v.password),
                     "First line of your orders should now be:",
                     "#galaxy %s %s %s [TurnNumber] [FinalOrders]" % (GAME, v.name, v.password),
                     "")
        self.messages()
        rows = [[n, s] for n, s in GAME_OPTIONS]
        width = max(len(n) for n, _ in GAME_OPTIONS + [("InitialTechLevels", "")])
        rows[0][0] = rows[0][0].ljust(width)
        body = table(["N", "S"], "LL", rows)
        body.append("InitialTechLevels".ljust(width) + " 1.00 1.00 1.00 1.00 ")
        self.section("Game Options", body)
        self.section("Your Options", table(["N", "S"], "LL", [
            [o, "ON" if v.options[o] else "OFF"] for o in RACE_OPTIONS]))
        if v.orders:
            self.add("ORDERS RECEIVED", "")
            self.add(*["> " + o for o in v.orders])
            self.add("")
        self.status()
        self.ship_types()
        self.battles()
        self.bombings()
        self.map()
        self.incoming()
        self.own_planets()
        self.ships_in_production()
        self.routes()
        self.other_planets()
        self.unknown_planets()
        self.own_groups()
        self.other_groups()
        while self.lines and self.lines[-1] == "":
            self.lines.pop()
        return "\n".join(self.lines) + "\n"

    def bulletins(self):
        w, v, t = self.world, self.v, self.turn
        self.add("Bulletins for Galaxy Game %s Turn %d" % (GAME, t), "")
        if t > 0:
            ran = FIRST_RUN + datetime.timedelta(days=2 * t, minutes=7 * t, seconds=13 * t)
            # Day and month names spelled out here: strftime would follow the user's locale.
            day = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"][ran.weekday()]
            month = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov",
                     "Dec"][ran.month - 1]
            self.add("%s Top 10 of turn %d which ran on %02d:%02d:%02d %s %s %02d %d" % (
                GAME, t, ran.hour, ran.minute, ran.second, day, month, ran.day, ran.year), "")
            self.add(" # lt  Race          Pop   dlt    Ind   dlt   eInd   dlt  tech  dlt   #  dlt")
            now, before = w.history[t], w.history[t - 1]

            def rank(stats):
                order = sorted(w.races, key=lambda r: (-stats[r.letter]["eind"], r.index))
                return {r.letter: i + 1 for i, r in enumerate(order)}

            ranks_now, ranks_before = rank(now), rank(before)
            for race in sorted(w.races, key=lambda r: ranks_now[r.letter]):
                a, b = now[race.letter], before[race.letter]
                self.add("%2d %3d %-10s %6d %5d %6d %5d %6d %5d %5.2f %4.2f %3d %3d" % (
                    ranks_now[race.letter], ranks_before[race.letter] - ranks_now[race.letter],
                    race.name[:10], round(a["pop"]), round(a["pop"]) - round(b["pop"]),
                    round(a["ind"]), round(a["ind"]) - round(b["ind"]), round(a["eind"]),
                    round(a["eind"]) - round(b["eind"]), a["tech"], a["tech"] - b["tech"],
                    a["planets"], a["planets"] - b["planets"]))
            self.add("", "")
        self.add("", "\t\tProduction Status", "Sofar you have:",
                 "  produced a total shipmass of %s" % f2(v.produced),
                 "  lost a total shipmass of     %s" % f2(v.lost), "", "")
        self.add("\t\tReal Name", "  Your real name is %s." % v.real_name, "", "")
        self.add("End of the Bulletins", "")

    def messages(self):
        t, v = self.turn, self.v
        if t in GLOBAL_MESSAGES:
            self.add("GLOBAL Messages", "", "-message starts-")
            self.add(*GLOBAL_MESSAGES[t][1])
            self.add("-message ends-", "")
        if t in PERSONAL_MESSAGES and PERSONAL_MESSAGES[t][1] == v.letter:
            self.add("PERSONAL Messages for %s" % v.name, "", "-message starts-")
            self.add(*PERSONAL_MESSAGES[t][2])
            self.add("-- The %s" % self.world.race(PERSONAL_MESSAGES[t][0]).name)
            self.add("-message ends-", "")

    def status(self):
        w, v = self.world, self.v
        rows = []
        for race in w.races:
            owned = [p for p in w.planets if p.owner is race]
            if race is v:
                relation = "-"
            else:
                relation = "Peace" if race.letter in v.peace else "War"
            rows.append([race.name] + [f2(x) for x in race.tech] +
                        [f2(sum(p.pop for p in owned)), f2(sum(p.ind for p in owned)),
                         str(len(owned)), relation])
        self.section("Status of Players", table(
            ["N", "D", "W", "S", "C", "P", "I", "#", "R"], "LRRRRRRRL", rows))

    def type_rows(self, types):
        return [[t.name, f2(t.drive), str(t.attacks), f2(t.weapons), f2(t.shields),
                 f2(t.cargo), f2(t.mass), f2(t.speed()), f2(t.defence())] for t in types]

    def ship_types(self):
        headers = ["N", "D", "A", "W", "S", "C", "Mass", "Speed", "Def"]
        if self.v.types:
            self.section("Your Ship Types", table(headers, "LRRRRRRRR",
                                                  self.type_rows(self.v.types)))
        for race in self.races_seen():
            seen = self.types_seen(race)
            if seen:
                self.section("%s Ship Types" % race.name, table(headers, "LRRRRRRRR",
                                                                self.type_rows(seen)))

    def types_seen(self, race):
        names = []
        for b in self.my_battles():
            names.extend(row[1].name for row in b.rows if row[0] is race)
        names.extend(g.type.name for g in self.visible_groups(race))
        return [t for t in race.types if t.name in names]

    def my_battles(self):
        return [b for b in self.world.battles if b.turn == self.turn and self.v in b.races]

    def battles(self):
        for b in self.my_battles():
            self.add("\t\tBattle at %s" % b.planet_name, "")
            order = [self.v] + [r for r in b.races if r is not self.v]
            for race in order:
                rows = [row for row in b.rows if row[0] is race]
                if not rows:
                    continue
                title = "Your Groups" if race is self.v else "%s Groups" % race.name
                self.section(title, table(
                    ["#", "T", "D", "W", "S", "C", "T", "Q", "L"], "RLRRRRLRR",
                    [[str(r[5]), r[1].name] + [f2(x) for x in r[2]] + [r[3], f2(r[4]), str(r[6])]
                     for r in rows]))
            if self.v.options["battleProtocol"]:
                self.section("Battle Protocol", b.protocol)

    def bombings(self):
        rows = []
        for b in self.world.bombings:
            if b.turn == self.turn and self.v in b.witnesses:
                pop, ind, prod, cap, mat, col = b.values
                rows.append([b.attacker.name, b.defender.name, b.planet_name, f2(pop), f2(ind),
                             prod, f2(cap), f2(mat), f2(col)])
        if rows:
            self.section("Bombings", table(["W", "O", "N", "P", "I", "P", "$", "M", "C"],
                                           "LLLRRLRRR", rows))

    def map(self):
        w, v = self.world, self.v
        grid = [[" "] * MAP_COLUMNS for _ in range(MAP_ROWS)]

        def put(x, y, ch):
            col = min(MAP_COLUMNS - 1, max(0, int(x / (MAP_SIZE / MAP_COLUMNS))))
            row = min(MAP_ROWS - 1, max(0, int(y / (MAP_SIZE / MAP_ROWS))))
            grid[row][col] = ch

        for p in w.planets:
            ch = "o" if p.owner is None else ("*" if p.owner is v else "+")
            put(p.fx, p.fy, ch)
        for mark, races in ((".", [v]), ("-", self.races_seen())):
            for race in races:
                for g in race.groups:
                    if g.flying:
                        total = distance(g.origin, g.planet)
                        f = 1.0 - g.dist / total if total else 1.0
                        put(g.origin.fx + (g.planet.fx - g.origin.fx) * f,
                            g.origin.fy + (g.planet.fy - g.origin.fy) * f, mark)
        self.map_marks = sum(row.count("-") for row in grid)
        self.add("%s,%s  %s,%s" % (f2(0), f2(0), f2(MAP_SIZE), f2(0)), "-" * 80)
        self.add(*["".join(r) for r in grid])
        self.add("-" * 80, "%s,%s  %s,%s" % (f2(0), f2(MAP_SIZE), f2(MAP_SIZE), f2(MAP_SIZE)),
                 "")

    def incoming(self):
        rows = []
        for race in self.races_seen():
            if not race.at_war_with(self.v):
                continue
            for g in race.groups:
                if g.flying and g.planet.owner is self.v:
                    rows.append((g.planet.number, race.index, g.number,
                                 [g.origin.name, g.planet.name, f2(g.dist), f2(g.speed()),
                                  f2(g.ships * g.ship_mass())]))
        if rows:
            rows.sort(key=lambda r: r[:3])
            self.section("Incoming Groups", table(["O", "D", "R", "S", "M"], "LLRRR",
                                                  [r[3] for r in rows]))

    def planet_rows(self, planets):
        return [[p.name, f2(p.fx), f2(p.fy), f2(p.size), f2(p.pop), f2(p.ind), f2(p.resources),
                 p.production, f2(p.cap), f2(p.mat), f2(p.col), f2(p.capacity())]
                for p in planets]

    PLANET_HEADERS = ["N", "X", "Y", "S", "P", "I", "R", "P", "$", "M", "C", "L"]

    def own_planets(self):
        mine = [p for p in self.world.planets if p.owner is self.v]
        if mine:
            self.section("Your Planets", table(self.PLANET_HEADERS, "LRRRRRRLRRRR",
                                               self.planet_rows(mine)))

    def ships_in_production(self):
        rows = []
        for p in self.world.planets:
            if p.owner is self.v and self.v.type_named(p.production):
                t = self.v.type_named(p.production)
                rows.append([p.name, t.name, f2(ship_cost(t, p)), f2(p.progress)])
        if rows:
            self.section("Ships In Production", table(["N", "P", "N", "U"], "LLRR", rows))

    def routes(self):
        rows = []
        for number in sorted(self.v.routes):
            kinds = self.v.routes[number]
            if not kinds:
                continue
            cells = [self.world.planet(kinds[k]).name if k in kinds else "-"
                     for k in ("CAP", "MAT", "COL", "EMP")]
            rows.append([self.world.planet(number).name] + cells)
        if rows:
            self.section("Your Routes", table(["N", "$", "M", "C", "E"], "LLLLL", rows))

    def visible_planets(self):
        spots = self.watch_planets()
        return [p for p in self.world.planets
                if p.owner is not None and p.owner is not self.v and p.number in spots]

    def other_planets(self):
        visible = self.visible_planets()
        for race in self.races_seen():
            theirs = [p for p in visible if p.owner is race]
            if theirs:
                self.section("%s Planets" % race.name, table(
                    self.PLANET_HEADERS, "LRRRRRRLRRRR", self.planet_rows(theirs)))

    def unknown_planets(self):
        w, v = self.world, self.v
        visible = self.visible_planets()
        hidden = [p for p in w.planets
                  if p.owner is not None and p.owner is not v and p not in visible]
        if hidden:
            self.section("Unidentified Planets", table(
                ["N", "X", "Y"], "LRR", [[p.name, f2(p.fx), f2(p.fy)] for p in hidden]))
        rows = []
        for p in w.planets:
            if p.owner is not None:
                continue
            if p.number in v.known:
                rows.append([p.name, f2(p.fx), f2(p.fy), f2(p.size), f2(p.resources), f2(p.cap),
                             f2(p.mat)])
            else:
                rows.append([p.name, f2(p.fx), f2(p.fy), "", "", "", ""])
        if rows:
            self.section("Uninhabited Planets", table(["N", "X", "Y", "S", "R", "$", "M"],
                                                      "LRRRRRR", rows))

    def group_row(self, g):
        return [str(g.number), str(g.ships), g.type.name] + [f2(x) for x in g.techs] + [
            g.cargo, f2(g.load), g.planet.name, f2(g.dist) if g.flying else "",
            g.origin.name if g.flying else ""]

    def own_groups(self):
        headers = ["G", "#", "T", "D", "W", "S", "C", "T", "Q", "D", "R", "O"]
        loose = [g for g in sorted(self.v.groups, key=lambda g: g.number) if not g.fleet]
        if loose:
            self.section("Your Groups", table(headers, "RRLRRRRLRLRL",
                                              [self.group_row(g) for g in loose]))
        fleets = []
        for g in sorted(self.v.groups, key=lambda g: g.number):
            if g.fleet and g.fleet not in fleets:
                fleets.append(g.fleet)
        for name in fleets:
            members = [g for g in sorted(self.v.groups, key=lambda g: g.number)
                       if g.fleet == name]
            speed = min(g.speed() for g in members)
            self.section("Fleet %s (speed %s)" % (name, f2(speed)), table(
                headers, "RRLRRRRLRLRL", [self.group_row(g) for g in members]))

    def visible_groups(self, race):
        spots = self.watch_planets() | set(p.number for p in self.world.planets
                                           if p.owner is self.v)
        return [g for g in sorted(race.groups, key=lambda g: (g.planet.number, g.number))
                if not g.flying and g.planet.number in spots]

    def other_groups(self):
        for race in self.races_seen():
            seen = self.visible_groups(race)
            if seen:
                self.section("%s Groups" % race.name, table(
                    ["#", "T", "D", "W", "S", "C", "T", "Q", "D"], "RLRRRRLRL",
                    [[str(g.ships), g.type.name] + [f2(x) for x in g.techs] +
                     [g.cargo, f2(g.load), g.planet.name] for g in seen]))


# --- The game as the reader sees it ------------------------------------------------------------


class Tally:
    """What the reports of the own race and the allies hold, for the README and the tests."""

    def __init__(self):
        self.battles = []  # (turn, planet name)
        self.battles_in_two = 0
        self.bombings = []
        self.incoming = 0
        self.files = 0
        self.map_tracks = 0  # "-" marks on the own maps of the last two turns
        self.group_tracks = 0  # own groups in flight in the last turn


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--out", default=os.path.join(here, os.pardir, "samples", "demo"))
    args = parser.parse_args()
    out = os.path.normpath(args.out)
    os.makedirs(out, exist_ok=True)
    # Reports of an earlier run with more turns or races must not linger beside the new ones.
    for name in sorted(os.listdir(out)):
        if re.fullmatch(r"[A-Z][0-9]{3}\.txt", name):
            os.remove(os.path.join(out, name))

    world = World()
    world.snapshot()
    readers = [world.race(l) for l in OWN_LETTER + ALLY_LETTERS]
    tally = Tally()
    last = {}
    while True:
        for race in readers:
            report = Report(world, race)
            data = report.text()
            name = os.path.join(out, "%s%03d.txt" % (race.letter, world.turn))
            with open(name, "w", encoding="latin-1", newline="\n") as f:
                f.write(data)
            tally.files += 1
            last[race.letter] = report
        t = world.turn
        for race in readers:
            check_groups_distinct(race, t)
        for b in world.battles:
            if b.turn == t:
                seen_by = [r for r in readers if r in b.races]
                if seen_by:
                    tally.battles.append((t, b.planet_name))
                    if len(seen_by) > 1:
                        tally.battles_in_two += 1
        for b in world.bombings:
            if b.turn == t and any(r in b.witnesses for r in readers):
                tally.bombings.append((t, b.planet_name))
        own = world.race(OWN_LETTER)
        if t >= LAST_TURN - 1:
            tally.map_tracks += last[OWN_LETTER].map_marks
        tally.incoming += sum(1 for race in world.races if race is not own and
                              race.at_war_with(own) for g in race.groups
                              if g.flying and g.planet.owner is own)
        if world.turn == LAST_TURN:
            tally.group_tracks = sum(1 for g in own.groups if g.flying)
            break
        world.run_turn()
        world.snapshot()
    write_readme(out, world, tally)
    return 0


def check_groups_distinct(race, turn):
    """A reader takes two groups of one race that agree in every column but the number for one
    group listed twice, and merges them; the sample never lists such twins."""
    seen = {}
    for g in race.groups:
        key = (g.planet.name, g.origin.name if g.flying else "", g.type.name, g.ships,
               f2(g.dist), tuple(f2(x) for x in g.techs), g.cargo, f2(g.load))
        if key in seen:
            raise RuntimeError("turn %d: groups %d and %d of %s are twins"
                               % (turn, seen[key], g.number, race.name))
        seen[key] = g.number


def write_readme(out, world, tally):
    own = world.race(OWN_LETTER)
    allies = [world.race(l) for l in ALLY_LETTERS]
    routes = sum(1 for kinds in own.routes.values() if kinds)
    in_production = sum(1 for p in world.planets if p.owner is own and own.type_named(p.production))
    own_groups = len(own.groups)
    fleets = sorted(set(g.fleet for g in own.groups if g.fleet))
    lines = [
        "# The sample game \"%s\"" % GAME,
        "",
        "A small \"Galaxy NG\" game that Tovix opens when started with `./run.sh`. It is not a",
        "recorded game: `scripts/make_demo_game.py` plays it out with a deterministic simulation",
        "(fixed seed) and writes the turn reports in the Galaxy NG text layout. Do not edit the",
        "reports by hand; change the script and run it again:",
        "",
        "    python3 scripts/make_demo_game.py",
        "",
        "## Files",
        "",
        "`<letter><turn>.txt` (the report pattern `%%1s%%0.03d.txt`): the reports of turns 0 to %d"
        % LAST_TURN,
        "of the user's race (letter %s) and of its two allies (letters %s); %d files, LF line ends."
        % (OWN_LETTER, " and ".join(ALLY_LETTERS), tally.files),
        "",
        "A Tovix.ini game section for it (the folder is where the reports are):",
        "",
        "    [1]",
        "    Name=%s" % GAME,
        "    spelD=<folder>/%1s%0.03d.txt",
        "    spelC=%s%s" % (OWN_LETTER, ALLY_LETTERS),
        "    GameType=Galaxy NG",
        "    MapType=Normal",
        "    MapSize=%d" % MAP_SIZE,
        "",
        "## The game",
        "",
        "- Galaxy %d x %d, not wrapped; %d planets. Every race starts with three home planets"
        % (MAP_SIZE, MAP_SIZE, len(world.planets)),
        "  (sizes %s), %d empty planets close by and %d more at random."
        % (", ".join("%d" % s for s in HOME_SIZES), NEAR_PLANETS, FAR_PLANETS),
        "- In turn 0 the races are called race_1 ... race_%d; most take their names in turn 1,"
        % len(world.races),
        "  the %s only in turn %d." % (RACES[6]["name"], RACES[6]["rename"]),
        "- Races (letter, name in the last turn):",
    ]
    for race in world.races:
        role = "the user's race" if race is own else ("ally" if race in allies else "")
        lines.append("  - %s %s%s" % (race.letter, race.name, (" (%s)" % role) if role else ""))
    lines += [
        "- Alliances: %s; every other pair is at war." % ", ".join(
            "%s-%s" % pair for pair in ALLIANCES),
        "- %s and %s have battleProtocol ON, so their reports hold `Battle Protocol` sections."
        % tuple(r["name"] for r in RACES if r["protocol"]),
        "- Scouts explore from turn 2, freighters colonise along COL routes (empty ones come",
        "  back by EMP routes), warships attack from turn 4; the %s fly as the fleet %s."
        % (own.name, ", ".join(fleets) if fleets else "-"),
        "",
        "## What a reader finds (own letter %s with allies %s)" % (OWN_LETTER, ALLY_LETTERS),
        "",
        "| Item | Count |",
        "|---|---|",
        "| Last turn | %d |" % LAST_TURN,
        "| Races | %d |" % len(world.races),
        "| Planets | %d |" % len(world.planets),
        "| Battles (distinct planet and turn) | %d |" % len(tally.battles),
        "| Battles in more than one of the reports | %d |" % tally.battles_in_two,
        "| Bombings (distinct planet and turn) | %d |" % len(tally.bombings),
        "| Incoming groups (rows of all own reports) | %d |" % tally.incoming,
        "| Routes in the last own report | %d |" % routes,
        "| Ships in production in the last own report | %d |" % in_production,
        "| Own groups in the last own report (fleets included) | %d |" % own_groups,
        "| Own planets in the last own report | %d |"
        % sum(1 for p in world.planets if p.owner is own),
        "| Map track points (\"-\" marks on the own maps of the last two turns) | %d |"
        % tally.map_tracks,
        "| Group track points (own groups in flight in the last turn) | %d |"
        % tally.group_tracks,
        "",
        "Battles: %s." % ", ".join("%s in turn %d" % (p, t) for t, p in tally.battles),
        "",
        "Bombings: %s." % ", ".join("%s in turn %d" % (p, t) for t, p in tally.bombings),
        "",
    ]
    with open(os.path.join(out, "README.md"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines))


if __name__ == "__main__":
    sys.exit(main())
