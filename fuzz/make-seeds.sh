#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets into fuzz/corpus-<target>/ (ignored by git),
# from the test pages, bookmark files and reference data of the tree plus a few hand seeds.
# LOTWARDEN=path/to/lotwarden adds watch-list files made by the real program as .lwd seeds.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/fuzz}
data=$top/tests/data

corpus() { rm -rf "$out/corpus-$1"; mkdir -p "$out/corpus-$1"; echo "$out/corpus-$1"; }
# seed DIR NAME PREFIX-BYTES(printf format) [FILE]: the prefix then the file (or stdin).
seed() {
  local dir=$1 name=$2 prefix=$3 file=${4:-}
  { printf "$prefix"; if [ -n "$file" ]; then cat "$file"; else cat; fi; } >"$dir/$name"
}

# Item pages: the index of each family's servers in the server table, then the page number.
dir=$(corpus fuzz_parse_page)
declare -A servers=([ebay]="0" [yahoo]="1 2 5" [amazon]="13" [aucland]="14 15 16 17"
                    [excite]="18" [ibazar]="19 20" [cnet]="21")
for family in "${!servers[@]}"; do
  for page in "$data/sites/$family"/*.htm*; do
    [ -f "$page" ] || continue
    for index in ${servers[$family]}; do
      for number in 0 1; do
        seed "$dir" "$family-$index-$number-$(basename "$page")" "\\$(printf '%03o' "$index")\\$(printf '%03o' "$number")" "$page"
      done
    done
  done
done
for page in "$data/sim/pages"/*; do seed "$dir" "sim-$(basename "$page")" '\000\000' "$page"; done

# Dates: style, "default year given" (1), year - 1900, default second, then the text.
dir=$(corpus fuzz_site_date)
i=0
while IFS='|' read -r style text; do
  seed "$dir" "date-$((i++))" "\\$(printf '%03o' "$style")\\001\\144\\073" <<<"$text"
done <<'DATES'
1|03/05/00 18:30:00 PST
1|Mar-05-00 18:30:00 PST
2|20000305t183000
3|Mar 5 18:30
4|1 day 2 hours 3 minutes 4 seconds
4|2 jours 3 heures
5|3/5 12PM
6|Le 1er mars 2000
6|3 août 2000
7|Le 3 mars à 18h30
8|03/05/2000 6:30 PM
DATES

# Text helpers: text NUL marker NUL marker NUL host.
dir=$(corpus fuzz_text_helpers)
printf '<b>Price:</b>&nbsp;&amp;lt;$12.50&gt;\000<b>\000</b>\000auction.test' >"$dir/tags"
printf '  a,,b ,\tc  \000 ,\t\000x\000' >"$dir/collapse"
printf '<a href="/item?x=1">x</a> <IMG SRC=\n"/p.gif">\000href\000src\000cgi.ebay.com' >"$dir/links"
head -c 4000 "$data/sites/ebay/running.html" >"$dir/page"

# Reference data: the prefix on the first line, then the file.
dir=$(corpus fuzz_refdata_rows)
for prefix in TZ EbC YCFr AucFr; do
  { echo "$prefix"; grep -aE "^(TZ|$prefix)\|" "$top/resources/Lotward.dat" | head -40 || true; } >"$dir/$prefix"
done

# Bookmark files and shortcuts: the walker's mode (0 read, 1 drop links, 2 insert), then the file.
dir=$(corpus fuzz_bookmarks)
for file in "$data/bookmarks"/*; do
  for mode in 0 1 2; do seed "$dir" "$mode-$(basename "$file")" "\\$(printf '%03o' $mode)" "$file"; done
done
printf '\000[DEFAULT]\r\nBASEURL=http://a/\r\n[InternetShortcut]\r\nURL=http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1\r\n' >"$dir/shortcut.url"

# Dropped text: item URLs of the sites, one a line.
dir=$(corpus fuzz_add_from_text)
n=0
while read -r url; do echo "$url" >"$dir/url-$((++n))"; done <<'URLS'
http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1
http://page.auctions.yahoo.com/auction/9
http://au.page.auctions.yahoo.com/au/auction/42
http://s1.amazon.com/exec/varzea/ts/exchange-glance/12345678
http://aucland.fr/accdb/viewItem.asp?IDI=4711
http://auctions.excite.com/Scripts/ListingInfo.asp?LotNo=4417
http://auctions.cnet.com/cgi-bin/osa/ViewPage.cgi?templateName=item_form.htx&itemNumber=10482
URLS
cat "$dir"/url-* >"$dir/urls"
printf 'http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=7\r\n\r\n' >"$dir/crlf"

# Watch lists: written by the program itself when it is at hand, plus an empty one.
dir=$(corpus fuzz_lwd_reader)
: >"$dir/empty.lwd"
if [ -n "${LOTWARDEN:-}" ] && [ -x "$LOTWARDEN" ]; then
  scratch=$(mktemp -d)
  "$LOTWARDEN" new "$scratch/one.lwd" >/dev/null
  "$LOTWARDEN" add "$scratch/one.lwd" http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem\&item=1 >/dev/null
  "$LOTWARDEN" new "$scratch/many.lwd" >/dev/null
  while read -r url; do "$LOTWARDEN" add "$scratch/many.lwd" "$url" >/dev/null 2>&1 || true; done \
    <"$out/corpus-fuzz_add_from_text/urls"
  cp "$scratch"/*.lwd "$dir/"
  rm -rf "$scratch"
fi
echo "seeds written under $out"
