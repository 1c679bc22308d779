#!/usr/bin/env python3
"""Writes a deterministic exchange file of bibliographic records in the text form.

Usage: tools/make_exchange_records.py COUNT OUTPUT

Each record has about 900 bytes of Cyrillic and Latin text in the fields a
catalogue uses (title, authors, imprint, extent, subjects, keywords, an
abstract and copies), so that a file of 100 000 records is about as large as
a real one. The same COUNT always gives the same file.
"""

import random
import sys

TITLES = ["Война и мир", "Мёртвые души", "Отцы и дети", "Преступление и наказание",
          "Герой нашего времени", "Капитанская дочка", "Обломов", "Гроза", "Вишнёвый сад",
          "Pride and Prejudice", "Moby Dick", "Great Expectations", "The Odyssey",
          "Les Misérables", "Faust", "Don Quixote"]
PEOPLE = ["Толстой^BЛ. Н.", "Гоголь^BН. В.", "Тургенев^BИ. С.", "Достоевский^BФ. М.",
          "Лермонтов^BМ. Ю.", "Пушкин^BА. С.", "Гончаров^BИ. А.", "Островский^BА. Н.",
          "Чехов^BА. П.", "Austen^BJ.", "Melville^BH.", "Dickens^BC.", "Homer",
          "Hugo^BV.", "Goethe^BJ. W.", "Cervantes^BM."]
CITIES = ["Москва", "Санкт-Петербург", "Казань", "London", "Paris"]
PUBLISHERS = ["Перо и свиток", "Три сосны", "Учёный кот", "Северная книга", "Lantern Press"]
SUBJECTS = ["Русская литература", "Роман", "Повесть", "История", "Философия",
            "English literature", "Poetry", "Драма"]
WORDS = ("память судьба дорога город время война мир дом семья любовь честь долг море "
         "степь усадьба письмо journey memory river house honour letter voyage").split()
PLACES = ["АБ", "ЧЗ", "ХЛ", "НА", "КХ"]


def record(rng, number):
    title = rng.choice(TITLES)
    person = rng.choice(PEOPLE)
    abstract = " ".join(rng.choice(WORDS) for _ in range(rng.randint(60, 90)))
    fields = [
        (10, "^A978-5-%03d-%05d-%d" % (rng.randrange(1000), rng.randrange(100000), rng.randrange(10))),
        (101, "rus" if rng.random() < 0.7 else "eng"),
        (200, "^A%s. Книга %d^Eроман^F%s" % (title, number, person.split("^")[0])),
        (700, "^A" + person),
        (210, "^A%s^C%s^D%d" % (rng.choice(CITIES), rng.choice(PUBLISHERS), rng.randint(1900, 2024))),
        (215, "^A%d" % rng.randint(64, 900)),
        (606, "^A" + rng.choice(SUBJECTS)),
        (606, "^A" + rng.choice(SUBJECTS)),
        (610, rng.choice(WORDS)),
        (610, rng.choice(WORDS)),
        (330, "^A" + abstract),
    ]
    for copy in range(rng.randint(1, 3)):
        fields.append((910, "^A0^B%08d^D%s" % (number * 10 + copy, rng.choice(PLACES))))
    return "".join("#%d: %s\r\n" % field for field in fields) + "*****\r\n"


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    count = int(sys.argv[1])
    rng = random.Random(2709)
    with open(sys.argv[2], "w", encoding="utf-8", newline="") as out:
        for number in range(1, count + 1):
            out.write(record(rng, number))


if __name__ == "__main__":
    main()
