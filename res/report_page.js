// What both printable forms share: the page text built up by the form's own
// functions, the body text of its table rows, the three calls that show,
// print and empty the page, and the cutting of the form into sheets.
//
// A form is cut into sheets of one printed page each, here rather than by
// the printer: the web engine cannot put a page number into the page margin,
// and it would repeat the column headings but split a two-line row across a
// break. Each sheet is exactly as high as the printable area, carries the
// column headings, whole row groups (one <tbody> each) and "쪽 n / m" at its
// foot; the first carries the form's head, the last its totals.
var pageText = '';
var bodyText = '';
var runningHead = '';  // heads sheets 2, 3, ... (the form and its car)
var formHtml = '';     // the whole form before it is cut
// The printable height of a sheet in CSS pixels (96 to the inch). Each form
// sets its default; the program calls paginate() with the printer's page
// before it prints or writes a PDF.
var sheetHeight = 1046;

document.head.insertAdjacentHTML('beforeend', '<style>'
  + 'body { background: #d0d0d0; }'
  + '.sheet { position: relative; overflow: hidden; background: #ffffff; margin: 0 0 12px 0;'
  + ' box-shadow: 0 1px 4px rgba(0, 0, 0, 0.4); }'
  + '.sheet.measure { overflow: visible; }'
  + '.running-head { height: 18px; line-height: 18px; margin-bottom: 6px; font-size: 11px; text-align: left; }'
  + '.page-no { position: absolute; left: 0; right: 0; bottom: 0; height: 18px; line-height: 18px;'
  + ' font-size: 11px; text-align: center; }'
  + 'table.list { table-layout: fixed; }'
  + '@media print { body { background: none; margin: 0; }'
  + ' .sheet { margin: 0 auto; box-shadow: none; break-after: page; }'
  + ' .sheet:last-child { break-after: auto; } }'
  + '</style>');

function fin_html() {
  formHtml = (typeof formTitle === 'string' ? formTitle : '') + pageText;
  paginate();
}

function Print() {
  window.print();
}

function clear() {
  pageText = '';
  bodyText = '';
  runningHead = '';
  formHtml = '';
  if (typeof clearForm === 'function') clearForm();
  document.getElementById('list_ctrl').innerHTML = '';
}

function pageFoot(n, m) {
  return '<div class="page-no">쪽 ' + n + ' / ' + m + '</div>';
}

// Cuts the form into sheets of `height` CSS pixels (the last height given
// when none is); returns the number of sheets.
function paginate(height) {
  if (height > 0) sheetHeight = height;
  var list = document.getElementById('list_ctrl');
  if (!formHtml) {
    list.innerHTML = '';
    return 0;
  }
  list.innerHTML = '<div class="sheet measure">' + formHtml
    + '<div class="running-head">&nbsp;</div>' + pageFoot(1, 1) + '</div>';
  var measure = list.firstChild;
  var foot = measure.lastChild;
  var probe = foot.previousSibling;
  var table = measure.querySelector('table.list');
  var groups = table ? Array.prototype.filter.call(table.children, function (e) {
    return e.tagName === 'TBODY';
  }) : [];

  // Every height is read before anything moves, so the page is laid out once.
  var top = measure.getBoundingClientRect().top;
  var usable = Math.floor(sheetHeight) - foot.offsetHeight - 2;
  var headRect = probe.getBoundingClientRect();
  var runningHeight = headRect.height + 6;
  var lead = table ? table.getBoundingClientRect().top - top : 0;
  var thead = table && table.tHead ? table.tHead.getBoundingClientRect().height : 0;
  var heights = groups.map(function (g) { return g.getBoundingClientRect().height; });
  var tableBottom = table ? table.getBoundingClientRect().bottom : top;
  var tail = table ? headRect.top - tableBottom : 0;
  probe.remove();
  foot.remove();

  // Whole groups fill each sheet; the last group goes with the tail.
  var pages = [[]];
  var used = 0;
  var room = usable - lead - thead;
  heights.forEach(function (h, i) {
    var need = h + (i === heights.length - 1 ? tail : 0);
    if (used + need > room && pages[pages.length - 1].length > 0) {
      pages.push([]);
      used = 0;
      room = usable - runningHeight - thead;
    }
    pages[pages.length - 1].push(groups[i]);
    used += h;
  });

  var before = [];
  var after = [];
  var node = measure.firstChild;
  for (; node && node !== table; node = node.nextSibling) before.push(node);
  for (node = table ? table.nextSibling : null; node; node = node.nextSibling) after.push(node);

  var sheets = pages.map(function (rows, p) {
    var sheet = document.createElement('div');
    sheet.className = 'sheet';
    sheet.style.height = Math.floor(sheetHeight) + 'px';
    if (p === 0) {
      before.forEach(function (n) { sheet.appendChild(n); });
    } else {
      var head = document.createElement('div');
      head.className = 'running-head';
      head.innerHTML = runningHead;
      sheet.appendChild(head);
    }
    if (table) {
      var part = table.cloneNode(false);
      Array.prototype.forEach.call(table.children, function (e) {
        if (e.tagName !== 'TBODY') part.appendChild(e.cloneNode(true));
      });
      rows.forEach(function (g) { part.appendChild(g); });
      sheet.appendChild(part);
    }
    if (p === pages.length - 1) after.forEach(function (n) { sheet.appendChild(n); });
    sheet.insertAdjacentHTML('beforeend', pageFoot(p + 1, pages.length));
    return sheet;
  });
  list.innerHTML = '';
  sheets.forEach(function (s) { list.appendChild(s); });
  return sheets.length;
}
