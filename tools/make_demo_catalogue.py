#!/usr/bin/env python3
"""Writes the data of the demo catalogue of talor-server into data/demo.

Two databases: DEMO (a book catalogue of several hundred records in Russian
and English) and SERIALS (journals whose holdings are issue-number lists),
with field selection tables, stop words, menus, linked files, page images
with word boxes, users and the settings sent at registration. The output is
deterministic (fixed random seed).

The navigator's pages (pages/, system/*.html) and the display and page
formats (db/<DB>/*.pft) are written by hand and kept in data/demo; this
script does not write them, so an OUTPUT_DIR other than data/demo gets the
data only. data/demo/README.txt describes the pages.

Usage: tools/make_demo_catalogue.py [OUTPUT_DIR]   (default data/demo)
"""

import os
import random
import sys
import urllib.parse

ANSI = "cp1251"


def write(path, text, encoding="utf-8"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(text.replace("\n", "\r\n").encode(encoding))


def write_bytes(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def pack_3bit_codes(codes):
    """LZW codes of three bits each, packed from the low bits up as GIF has them."""
    bits, nbits, out = 0, 0, bytearray()
    for code in codes:
        bits |= code << nbits
        nbits += 3
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 0xFF)
    return out


def gif(width, height, bars):
    """A two-colour GIF: white with black rectangles (x1, y1, x2, y2).

    The pixels are written as literal LZW codes with a clear code after every
    two, so the code width stays at three bits.
    """
    pixels = []
    for y in range(height):
        for x in range(width):
            black = any(x1 <= x <= x2 and y1 <= y <= y2 for x1, y1, x2, y2 in bars)
            pixels.append(1 if black else 0)
    codes = []
    for i, p in enumerate(pixels):
        if i % 2 == 0:
            codes.append(4)  # clear
        codes.append(p)
    codes.append(5)  # end of information
    out = pack_3bit_codes(codes)
    data = bytearray(b"GIF89a")
    data += width.to_bytes(2, "little") + height.to_bytes(2, "little")
    data += bytes([0x80, 0, 0])  # global colour table of 2 entries
    data += bytes([255, 255, 255, 0, 0, 0])
    data += b"," + bytes(4) + width.to_bytes(2, "little") + height.to_bytes(2, "little") + b"\x00"
    data += b"\x02"
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        data += bytes([len(chunk)]) + chunk
    data += b"\x00;"
    return bytes(data)


# ---------------------------------------------------------------- books

CLASSICS = [
    ("Толстой", "Л. Н.", "Лев Николаевич Толстой", "Война и мир", "роман-эпопея", "rus",
     ["Художественная литература", "Русская литература -- 19 в."], ["война", "дворянство", "история"]),
    ("Толстой", "Л. Н.", "Лев Николаевич Толстой", "Анна Каренина", "роман", "rus",
     ["Художественная литература", "Русская литература -- 19 в."], ["семья", "любовь", "общество"]),
    ("Достоевский", "Ф. М.", "Фёдор Михайлович Достоевский", "Преступление и наказание", "роман", "rus",
     ["Художественная литература", "Русская литература -- 19 в."], ["преступление", "совесть", "Петербург"]),
    ("Достоевский", "Ф. М.", "Фёдор Михайлович Достоевский", "Братья Карамазовы", "роман", "rus",
     ["Художественная литература", "Русская литература -- 19 в."], ["семья", "вера", "философия"]),
    ("Достоевский", "Ф. М.", "Фёдор Михайлович Достоевский", "Идиот", "роман", "rus",
     ["Художественная литература", "Русская литература -- 19 в."], ["человек", "красота"]),
    ("Пушкин", "А. С.", "Александр Сергеевич Пушкин", "Евгений Онегин", "роман в стихах", "rus",
     ["Поэзия", "Русская литература -- 19 в."], ["поэзия", "дворянство", "любовь"]),
    ("Пушкин", "А. С.", "Александр Сергеевич Пушкин", "Капитанская дочка", "повесть", "rus",
     ["Художественная литература", "Русская литература -- 19 в."], ["история", "бунт"]),
    ("Лермонтов", "М. Ю.", "Михаил Юрьевич Лермонтов", "Герой нашего времени", "роман", "rus",
     ["Художественная литература", "Русская литература -- 19 в."], ["Кавказ", "личность"]),
    ("Гоголь", "Н. В.", "Николай Васильевич Гоголь", "Мёртвые души", "поэма", "rus",
     ["Художественная литература", "Русская литература -- 19 в."], ["сатира", "помещики"]),
    ("Тургенев", "И. С.", "Иван Сергеевич Тургенев", "Отцы и дети", "роман", "rus",
     ["Художественная литература", "Русская литература -- 19 в."], ["поколения", "нигилизм"]),
    ("Чехов", "А. П.", "Антон Павлович Чехов", "Вишнёвый сад", "комедия в четырёх действиях", "rus",
     ["Драматургия", "Русская литература -- 19 в."], ["театр", "усадьба"]),
    ("Чехов", "А. П.", "Антон Павлович Чехов", "Рассказы", "сборник", "rus",
     ["Художественная литература", "Русская литература -- 19 в."], ["рассказ", "юмор"]),
    ("Гончаров", "И. А.", "Иван Александрович Гончаров", "Обломов", "роман", "rus",
     ["Художественная литература", "Русская литература -- 19 в."], ["лень", "дворянство"]),
    ("Булгаков", "М. А.", "Михаил Афанасьевич Булгаков", "Мастер и Маргарита", "роман", "rus",
     ["Художественная литература", "Русская литература -- 20 в."], ["Москва", "мистика", "любовь"]),
    ("Шолохов", "М. А.", "Михаил Александрович Шолохов", "Тихий Дон", "роман", "rus",
     ["Художественная литература", "Русская литература -- 20 в."], ["казачество", "война", "история"]),
    ("Пастернак", "Б. Л.", "Борис Леонидович Пастернак", "Доктор Живаго", "роман", "rus",
     ["Художественная литература", "Русская литература -- 20 в."], ["революция", "любовь"]),
    ("Ильф", "И.", "Илья Ильф", "Двенадцать стульев", "роман", "rus",
     ["Художественная литература", "Русская литература -- 20 в."], ["сатира", "юмор"]),
    ("Tolstoy", "L.", "Leo Tolstoy", "War and Peace", "a novel", "eng",
     ["Fiction", "Russian literature -- Translations into English"], ["war", "history", "aristocracy"]),
    ("Dostoevsky", "F.", "Fyodor Dostoevsky", "Crime and Punishment", "a novel", "eng",
     ["Fiction", "Russian literature -- Translations into English"], ["crime", "conscience"]),
    ("Austen", "J.", "Jane Austen", "Pride and Prejudice", "a novel", "eng",
     ["Fiction", "English literature -- 19th century"], ["marriage", "society", "love"]),
    ("Dickens", "C.", "Charles Dickens", "Great Expectations", "", "eng",
     ["Fiction", "English literature -- 19th century"], ["orphan", "London"]),
    ("Dickens", "C.", "Charles Dickens", "A Tale of Two Cities", "", "eng",
     ["Fiction", "English literature -- 19th century"], ["revolution", "Paris", "London"]),
    ("Bronte", "C.", "Charlotte Bronte", "Jane Eyre", "an autobiography", "eng",
     ["Fiction", "English literature -- 19th century"], ["governess", "love"]),
    ("Melville", "H.", "Herman Melville", "Moby-Dick", "or, The Whale", "eng",
     ["Fiction", "American literature -- 19th century"], ["whaling", "sea", "obsession"]),
    ("Twain", "M.", "Mark Twain", "Adventures of Huckleberry Finn", "", "eng",
     ["Fiction", "American literature -- 19th century"], ["river", "adventure", "friendship"]),
    ("Hardy", "T.", "Thomas Hardy", "Tess of the d'Urbervilles", "a pure woman", "eng",
     ["Fiction", "English literature -- 19th century"], ["village", "fate"]),
    ("Wilde", "O.", "Oscar Wilde", "The Picture of Dorian Gray", "", "eng",
     ["Fiction", "English literature -- 19th century"], ["beauty", "art", "London"]),
    ("Conrad", "J.", "Joseph Conrad", "Heart of Darkness", "", "eng",
     ["Fiction", "English literature -- 20th century"], ["colonialism", "river"]),
    ("Joyce", "J.", "James Joyce", "Dubliners", "stories", "eng",
     ["Fiction", "Irish literature -- 20th century"], ["Dublin", "stories"]),
    ("Woolf", "V.", "Virginia Woolf", "Mrs Dalloway", "", "eng",
     ["Fiction", "English literature -- 20th century"], ["London", "memory"]),
]

SCIENCE_TOPICS_RU = [
    ("Математический анализ", "Математика", ["анализ", "функции", "пределы", "интегралы"]),
    ("Линейная алгебра", "Математика", ["матрицы", "векторы", "алгебра"]),
    ("Теория вероятностей", "Математика", ["вероятность", "статистика"]),
    ("Общая физика", "Физика", ["механика", "термодинамика", "физика"]),
    ("Квантовая механика", "Физика", ["кванты", "физика", "атомы"]),
    ("Органическая химия", "Химия", ["химия", "соединения", "реакции"]),
    ("История России", "История", ["история", "Россия", "государство"]),
    ("История Древнего мира", "История", ["история", "античность", "цивилизации"]),
    ("Библиотековедение", "Библиотечное дело", ["библиотеки", "каталогизация", "фонды"]),
    ("Библиографическое описание документов", "Библиотечное дело", ["каталогизация", "описание", "стандарты"]),
    ("Основы программирования", "Информатика", ["программирование", "алгоритмы", "информатика"]),
    ("Базы данных", "Информатика", ["базы данных", "информатика", "запросы"]),
    ("Компьютерные сети", "Информатика", ["сети", "протоколы", "информатика"]),
    ("Экономическая теория", "Экономика", ["экономика", "рынок", "теория"]),
    ("Философия", "Философия", ["философия", "мышление"]),
    ("Психология личности", "Психология", ["психология", "личность"]),
    ("География мира", "География", ["география", "страны", "природа"]),
    ("Экология", "Биология", ["экология", "природа", "окружающая среда"]),
    ("Ботаника", "Биология", ["растения", "биология"]),
    ("Русский язык", "Языкознание", ["язык", "грамматика", "орфография"]),
]

SCIENCE_TOPICS_EN = [
    ("Introduction to Algorithms", "Computer science", ["algorithms", "data structures", "complexity"]),
    ("Database System Concepts", "Computer science", ["databases", "queries", "transactions"]),
    ("Calculus", "Mathematics", ["calculus", "limits", "integrals"]),
    ("Linear Algebra and Its Applications", "Mathematics", ["matrices", "vectors", "algebra"]),
    ("Principles of Economics", "Economics", ["economics", "markets", "policy"]),
    ("A History of Western Philosophy", "Philosophy", ["philosophy", "history"]),
    ("Cataloging and Classification", "Library science", ["cataloging", "classification", "libraries"]),
    ("Physics for Scientists and Engineers", "Physics", ["physics", "mechanics", "waves"]),
    ("Organic Chemistry", "Chemistry", ["chemistry", "reactions", "molecules"]),
    ("World History", "History", ["history", "civilizations"]),
]

SURNAMES_RU = [("Иванов", "И. И."), ("Петров", "П. А."), ("Сидорова", "М. В."), ("Кузнецов", "А. Н."),
               ("Смирнова", "Е. П."), ("Попов", "В. С."), ("Васильева", "О. Г."), ("Соколов", "Д. Е."),
               ("Михайлов", "К. Л."), ("Новикова", "Т. А."), ("Фёдоров", "Ю. М."), ("Морозова", "Н. И."),
               ("Волков", "С. В."), ("Алексеева", "Л. Д."), ("Лебедев", "Г. Р."), ("Семёнова", "А. Ю."),
               ("Егоров", "М. П."), ("Павлова", "И. С."), ("Козлов", "Р. Т."), ("Степанова", "В. В.")]
SURNAMES_EN = [("Smith", "J."), ("Johnson", "R."), ("Brown", "M."), ("Taylor", "S."), ("Wilson", "D."),
               ("Clark", "A."), ("Walker", "P."), ("Wright", "E."), ("Green", "H."), ("Hall", "K.")]
# Invented publishers: the catalogue names no real publishing house.
PUBLISHERS_RU = [("Москва", "Светоч"), ("Москва", "Книжный двор"), ("Москва", "Перо и свиток"),
                 ("Санкт-Петербург", "Северная полка"), ("Москва", "Буквица"),
                 ("Москва", "Три сосны"), ("Санкт-Петербург", "Белые ночи"), ("Москва", "Учёный кот"),
                 ("Новосибирск", "Кедровый орех"), ("Москва", "Лампада")]
PUBLISHERS_EN = [("London", "Quillstone Press"), ("Oxford", "Harrowgate and Lyle"),
                 ("Cambridge", "Fenwick House"), ("New York", "Bramblewood Books"),
                 ("Boston", "Larkspur Publishing"), ("New York", "Northlight Editions"),
                 ("London", "Inkwell and Sons")]
EDITIONS_RU = ["учебник", "учебное пособие", "монография", "справочник", "курс лекций"]
EDITIONS_EN = ["a textbook", "an introduction", "a handbook", "selected readings"]
LOCATIONS = ["АБ", "ЧЗ", "ХЛ", "НА", "КХ"]


def isbn13(rng):
    digits = [9, 7, 8, 5] + [rng.randrange(10) for _ in range(8)]
    check = (10 - sum(d * (1 if i % 2 == 0 else 3) for i, d in enumerate(digits)) % 10) % 10
    return "978-5-{}-{}-{}".format("".join(map(str, digits[4:7])), "".join(map(str, digits[7:12])), check)


def holdings(rng, mfn):
    fields = []
    for copy in range(rng.randint(1, 4)):
        # Digits only, eight of them: the navigator draws inventory numbers as
        # interleaved 2 of 5 barcodes, which take an even number of digits.
        inventory = "{}{:06d}".format(rng.choice(["10", "20", "30"]), mfn * 10 + copy)
        date = "20{:02d}{:02d}{:02d}".format(rng.randint(5, 24), rng.randint(1, 12), rng.randint(1, 28))
        fields.append("^A0^B{}^D{}^C{}".format(inventory, rng.choice(LOCATIONS), date))
    return fields


def book_record(rng, mfn, author, title, edition, lang, subjects, keywords, publisher, year, coauthors):
    fields = []
    if lang == "rus":
        fields.append((10, "^A" + isbn13(rng)))
    else:
        fields.append((10, "^A978-0-{}-{}-{}".format(rng.randint(100, 999), rng.randint(10000, 99999),
                                                     rng.randint(0, 9))))
    fields.append((101, lang))
    title_field = "^A" + title
    if edition:
        title_field += "^E" + edition
    title_field += "^F" + author[2]
    fields.append((200, title_field))
    fields.append((210, "^A{}^C{}^D{}".format(publisher[0], publisher[1], year)))
    fields.append((215, "^A{}".format(rng.randint(96, 1200))))
    for subject in subjects:
        fields.append((606, "^A" + subject))
    for keyword in keywords:
        fields.append((610, keyword))
    fields.append((700, "^A{}^B{}^G{}".format(author[0], author[1], author[2])))
    for co in coauthors:
        fields.append((701, "^A{}^B{}".format(co[0], co[1])))
    for value in holdings(rng, mfn):
        fields.append((910, value))
    return fields


def books(rng):
    records = []
    for classic in CLASSICS:
        surname, initials, full, title, edition, lang, subjects, keywords = classic
        publishers = PUBLISHERS_RU if lang == "rus" else PUBLISHERS_EN
        for _ in range(rng.randint(2, 3)):
            records.append(dict(author=(surname, initials, full), title=title, edition=edition, lang=lang,
                                subjects=subjects, keywords=keywords,
                                publisher=rng.choice(publishers), year=rng.randint(1950, 2023), coauthors=[]))
    while len(records) < 330:
        if rng.random() < 0.7:
            title, subject, keywords = rng.choice(SCIENCE_TOPICS_RU)
            author = rng.choice(SURNAMES_RU)
            coauthors = rng.sample([s for s in SURNAMES_RU if s != author], rng.randint(0, 2))
            edition = rng.choice(EDITIONS_RU)
            publisher = rng.choice(PUBLISHERS_RU)
            lang = "rus"
        else:
            title, subject, keywords = rng.choice(SCIENCE_TOPICS_EN)
            author = rng.choice(SURNAMES_EN)
            coauthors = rng.sample([s for s in SURNAMES_EN if s != author], rng.randint(0, 2))
            edition = rng.choice(EDITIONS_EN)
            publisher = rng.choice(PUBLISHERS_EN)
            lang = "eng"
        records.append(dict(author=(author[0], author[1], author[1] + " " + author[0]), title=title,
                            edition=edition, lang=lang, subjects=[subject], keywords=keywords,
                            publisher=publisher, year=rng.randint(1975, 2024), coauthors=coauthors))
    rng.shuffle(records)
    result = []
    for mfn, r in enumerate(records, start=1):
        result.append(book_record(rng, mfn, r["author"], r["title"], r["edition"], r["lang"], r["subjects"],
                                  r["keywords"], r["publisher"], r["year"], r["coauthors"]))
    return result


ANNOTATION = "Роман-эпопея Л. Н. Толстого о русском обществе в эпоху войн против Наполеона."
KARENINA_NOTE = ("Роман Л. Н. Толстого о любви, семье и обществе: судьбы Анны Карениной "
                 "и Константина Лёвина.")


def annotation_page(title, text):
    """A small HTML page (UTF-8) kept in a record as a non-image internal resource."""
    page = ("<!DOCTYPE html><html lang=\"ru\"><head><meta charset=\"utf-8\"><title>" + title
            + "</title></head><body><h1>" + title + "</h1><p>" + text + "</p></body></html>")
    return page.encode("utf-8")


PAGE_WORDS = [("ВОЙНА", 10, 10, 70, 24), ("МИР", 90, 10, 130, 24), ("ТОЛСТОЙ", 10, 34, 100, 48)]


def add_files(records, files_dir):
    """Linked files (951) for a few records, an image inside records (953) and, in
    one record, an HTML page inside the record (953 of type HTM)."""
    page = gif(160, 60, [(x1, y1, x2, y2) for _, x1, y1, x2, y2 in PAGE_WORDS])
    write_bytes(os.path.join(files_dir, "page_0001.gif"), page)
    write(os.path.join(files_dir, "page_0001.gif.words"),
          "".join("{} {} {} {} {}\n".format(w, x1, y1, x2, y2) for w, x1, y1, x2, y2 in PAGE_WORDS))
    # A book: its outline, a dark spine, two title lines and a rule below.
    cover = gif(24, 32, [(0, 0, 23, 0), (0, 31, 23, 31), (0, 0, 0, 31), (23, 0, 23, 31),
                         (1, 0, 3, 31), (7, 6, 19, 7), (9, 10, 17, 10), (7, 25, 19, 25)])
    linked = 0
    annotated = False
    for fields in records:
        title = next(v for t, v in fields if t == 200)
        if "Война и мир" in title and linked < 3:
            fields.append((951, "^Apage_0001.gif^TСтраница 1"))
            fields.append((951, "^Avoina_i_mir_annotation.txt^TАннотация"))
            fields.append((953, "^AGIF^TОбложка^B" + urllib.parse.quote_plus(cover)))
            linked += 1
        elif "Анна Каренина" in title and not annotated:
            fields.append((953, "^AHTM^TО романе «Анна Каренина»^B"
                           + urllib.parse.quote_plus(annotation_page("Анна Каренина", KARENINA_NOTE))))
            annotated = True
    write(os.path.join(files_dir, "voina_i_mir_annotation.txt"),
          ANNOTATION + "\n")


# ---------------------------------------------------------------- serials

# Invented journals and publishers. The ISSNs are made up (9xxx-xxxx) and
# carry a correct check digit.
JOURNALS = [
    ("Вестник читального зала", "Москва", "Светоч"),
    ("Карточный каталог", "Москва", "Книжный двор"),
    ("Записки книгохранителя", "Санкт-Петербург", "Северная полка"),
    ("Природа и опыт", "Москва", "Учёный кот"),
    ("Колба и реторта", "Москва", "Лампада"),
    ("Знание и досуг", "Новосибирск", "Кедровый орех"),
    ("Новая словесность", "Москва", "Перо и свиток"),
    ("Переводная полка", "Санкт-Петербург", "Белые ночи"),
    ("Shelfmark Quarterly", "New York", "Bramblewood Books"),
    ("The Lamp and Quill Review", "London", "Quillstone Press"),
    ("Index and Spine", "London", "Inkwell and Sons"),
    ("Natural Philosophy Letters", "London", "Fenwick House"),
]


def issn(number):
    """ISSN 9xxx-xxxx with its check digit (weights 8..2, modulo 11, X for 10)."""
    digits = [9] + [int(c) for c in "{:06d}".format(number)]
    check = (11 - sum(d * w for d, w in zip(digits, range(8, 1, -1))) % 11) % 11
    text = "".join(map(str, digits)) + ("X" if check == 10 else str(check))
    return text[:4] + "-" + text[4:]


def issue_list(rng, per_year):
    issues = list(range(1, per_year + 1))
    missing = set(rng.sample(issues, rng.randint(0, min(3, per_year - 1))))
    kept = [i for i in issues if i not in missing]
    parts, start = [], None
    for i, n in enumerate(kept):
        if start is None:
            start = n
        if i + 1 == len(kept) or kept[i + 1] != n + 1:
            parts.append(str(start) if start == n else "{}-{}".format(start, n))
            start = None
    return ",".join(parts)


def serials(rng):
    records = []
    for number, (title, city, publisher) in enumerate(JOURNALS, start=1):
        per_year = rng.choice([4, 6, 12])
        fields = [(11, "^A" + issn(number * 137)), (101, "eng" if city in ("New York", "London") else "rus"),
                  (200, "^A" + title), (210, "^A{}^C{}".format(city, publisher)),
                  (110, "^B{}".format(per_year))]
        for year in range(2015, 2025):
            fields.append((909, "^Q{}^H{}^D{}".format(year, issue_list(rng, per_year), rng.choice(LOCATIONS))))
        records.append(fields)
    return records


def exchange_text(records):
    lines = []
    for fields in records:
        for tag, value in fields:
            lines.append("#{}: {}".format(tag, value))
        lines.append("*****")
    return "\n".join(lines) + "\n"


# ---------------------------------------------------------------- catalogue files

DEMO_FST = """* Словарь базы DEMO: метка, метод (0 - строка целиком, 4 - слова), формат.
* Префиксы: T= заглавие, K= слова (заглавие, фамилии, рубрики, ключевые слова),
* A= авторы, S= рубрики, KW= ключевые слова, G= год, P= издательство, J= язык,
* IN= инвентарные номера, MH= места хранения, I= ISBN, MFN= номер записи
* (по нему навигатор находит отобранные записи).
200 0 |T=|v200^a
200 4 |K=|v200^a
200 4 |K=|v200^e
700 0 (|A=|v700^a/)
701 0 (|A=|v701^a/)
700 4 (|K=|v700^a/)
606 0 (|S=|v606^a/)
606 4 (|K=|v606^a/)
610 4 (|K=|v610/)
610 0 (|KW=|v610/)
210 0 |G=|v210^d
210 0 |P=|v210^c
101 0 |J=|v101
910 0 (|IN=|v910^b/)
910 0 (|MH=|v910^d/)
10 0 |I=|v10^a
1 0 'MFN=',f(mfn,1,0)
"""

SERIALS_FST = """* Словарь базы SERIALS
200 0 |T=|v200^a
200 4 |K=|v200^a
11 0 |I=|v11^a
210 0 |P=|v210^c
909 0 (|G=|v909^q/)
"""

STOP_WORDS = "\n".join(["И", "В", "ВО", "НА", "О", "ОБ", "С", "СО", "К", "ПО", "ИЗ", "ДЛЯ", "ОТ", "НЕ",
                        "A", "AN", "AND", "THE", "OF", "TO", "IN", "FOR", "OR", "ON", "AT", "BY"]) + "\n"

LANG_MNU = "rus\nрусский\neng\nанглийский\n*****\n"
LOCATION_MNU = ("АБ\nАбонемент\nЧЗ\nЧитальный зал\nХЛ\nОтдел художественной литературы\nНА\nНаучный абонемент\n"
                "КХ\nКнигохранилище\n*****\n")
DATABASES_MNU = "DEMO\nЭлектронный каталог книг\nSERIALS\nКаталог журналов\n*****\n"

SETTINGS = """[Navigator]
SEARCHPORTION=10
TRMPORTION=50
FULLTEXTMAXRESULT=100
InitURL=TALOR:3,1,DEMO,index.html
[MAIN]
DBNNAMECAT=DEMO
SERVERNAME=Демонстрационный каталог
"""

USERS = """# имя пароль коды_АРМ(- любые) права(write|read)
librarian librarian - write
reader reader RC read
"""


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data", "demo")
    rng = random.Random(20261207)
    demo = books(rng)
    add_files(demo, os.path.join(out, "db", "DEMO", "files"))
    write(os.path.join(out, "db", "DEMO", "DEMO.txt"), exchange_text(demo))
    write(os.path.join(out, "db", "SERIALS", "SERIALS.txt"), exchange_text(serials(rng)))
    for db, fst in (("DEMO", DEMO_FST), ("SERIALS", SERIALS_FST)):
        folder = os.path.join(out, "db", db)
        write(os.path.join(folder, db + ".fst"), fst, ANSI)
        write(os.path.join(folder, db + ".stw"), STOP_WORDS, ANSI)
        write(os.path.join(folder, "location.mnu"), LOCATION_MNU, ANSI)
    write(os.path.join(out, "db", "DEMO", "lang.mnu"), LANG_MNU, ANSI)
    write(os.path.join(out, "system", "databases.mnu"), DATABASES_MNU, ANSI)
    write(os.path.join(out, "common", "README.txt"), "Общие ресурсы каталога.\n", ANSI)
    write(os.path.join(out, "settings.ini"), SETTINGS, ANSI)
    write(os.path.join(out, "users.txt"), USERS)


if __name__ == "__main__":
    main()
